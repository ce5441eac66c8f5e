#include "platform/base/Event.h"

#include <chrono>

Event::Event(EventReset reset, EventState initial)
    : m_reset(reset), m_set(initial == EventState::Set)
{}

void Event::set()
{
    {
        std::lock_guard guard(m_mutex);
        m_set = true;
    }
    if (m_reset == EventReset::Manual)
        m_changed.notify_all();
    else
        m_changed.notify_one();
}

void Event::reset()
{
    std::lock_guard guard(m_mutex);
    m_set = false;
}

bool Event::wait(DWORD timeoutMs)
{
    std::unique_lock guard(m_mutex);
    auto isSet = [this] {
        return m_set;
    };
    if (timeoutMs == INFINITE)
        m_changed.wait(guard, isSet);
    else if (!m_changed.wait_until(
                 guard, std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs),
                 isSet))
        return false;
    if (m_reset == EventReset::Auto)
        m_set = false;
    return true;
}

bool Event::isSet() const
{
    std::lock_guard guard(m_mutex);
    return m_set;
}
