#include "media/NotificationThread.h"

namespace medrix {

NotificationThread::NotificationThread() : m_thread([this] { run(); }) {}

NotificationThread::~NotificationThread()
{
    quit();
}

void NotificationThread::post(Message message)
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(message);
    }
    m_posted.notify_one();
}

void NotificationThread::quit()
{
    if (!m_thread.joinable())
        return;
    post(Quit);
    m_thread.join();
}

void NotificationThread::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_posted.wait(lock, [&] { return !m_queue.empty(); });
        Message message = m_queue.front();
        m_queue.pop_front();
        if (message == Quit)
            return;
    }
}

} // namespace medrix
