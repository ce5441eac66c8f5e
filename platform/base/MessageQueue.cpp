#include "platform/base/MessageQueue.h"

#include <chrono>

bool MessageQueue::post(UINT message, WPARAM wParam, LPARAM lParam)
{
    {
        std::lock_guard guard(m_mutex);
        if (m_quit)
            return false;
        m_messages.push_back({message, wParam, lParam});
    }
    m_posted.notify_one();
    return true;
}

void MessageQueue::postQuit(int exitCode)
{
    {
        std::lock_guard guard(m_mutex);
        if (m_quit)
            return;
        m_quit = true;
        m_exitCode = exitCode;
    }
    m_posted.notify_all();
}

MessageQueue::GetResult MessageQueue::get(Message& message, DWORD timeoutMs)
{
    std::unique_lock guard(m_mutex);
    auto ready = [this] {
        return !m_messages.empty() || m_quit;
    };
    if (timeoutMs == INFINITE)
        m_posted.wait(guard, ready);
    else if (!m_posted.wait_until(
                 guard, std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs),
                 ready))
        return GetResult::Timeout;
    if (!m_messages.empty()) {
        message = m_messages.front();
        m_messages.pop_front();
        return GetResult::Message;
    }
    message = {WM_QUIT, static_cast<WPARAM>(m_exitCode), 0};
    return GetResult::Quit;
}

std::size_t MessageQueue::pending() const
{
    std::lock_guard guard(m_mutex);
    return m_messages.size();
}
