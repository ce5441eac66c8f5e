#include "recorder/engine/ShutdownMonitor.h"

#include <chrono>

ShutdownMonitor::ShutdownMonitor(std::function<void()> quit, int idleMs)
    : m_quit(std::move(quit)), m_idleMs(idleMs), m_thread([this] { run(); })
{}

ShutdownMonitor::~ShutdownMonitor()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void ShutdownMonitor::lock()
{
    std::lock_guard lock(m_mutex);
    ++m_count;
}

void ShutdownMonitor::unlock()
{
    {
        std::lock_guard lock(m_mutex);
        if (--m_count > 0)
            return;
        m_released = true;
    }
    m_changed.notify_all();
}

long ShutdownMonitor::count() const
{
    std::lock_guard lock(m_mutex);
    return m_count;
}

void ShutdownMonitor::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&] { return m_stop || (m_released && m_count == 0); });
        if (m_stop)
            return;
        m_released = false;
        // Quiet for the whole idle time: no further release, and still unlocked.
        const bool disturbed = m_changed.wait_for(lock, std::chrono::milliseconds(m_idleMs),
                                                  [&] { return m_stop || m_released; });
        if (m_stop)
            return;
        if (!disturbed && m_count == 0) {
            m_quit();
            return;
        }
    }
}
