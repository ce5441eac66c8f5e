#include "platform/base/WorkerThread.h"

WorkerThread::WorkerThread(Handler handler) : m_handler(std::move(handler))
{
    m_thread = std::thread([this] {
        Message message;
        while (m_queue.get(message) == MessageQueue::GetResult::Message)
            m_handler(message);
    });
}

WorkerThread::~WorkerThread()
{
    stop();
}

bool WorkerThread::post(UINT message, WPARAM wParam, LPARAM lParam)
{
    return m_queue.post(message, wParam, lParam);
}

void WorkerThread::stop()
{
    m_queue.postQuit();
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}
