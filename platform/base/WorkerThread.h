#pragma once
// A thread with a message queue and one owner: it hands each posted message to its handler
// on the worker thread until quit; the destructor (or stop()) posts the quit and joins, so
// the thread never outlives its owner.

#include "platform/base/MessageQueue.h"

#include <functional>
#include <thread>

class WorkerThread {
public:
    // Called on the worker thread for each message, in posting order.
    using Handler = std::function<void(const Message&)>;

    explicit WorkerThread(Handler handler);
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Any thread. False once stopping.
    bool post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Lets the worker finish the messages posted so far, then joins it. Not from the worker.
    void stop();
    std::thread::id id() const { return m_thread.get_id(); }

private:
    MessageQueue m_queue;
    Handler m_handler;
    std::thread m_thread;
};
