#pragma once
// A thread that only runs a message loop: the sound object's output device sends its block
// completions here. Every message is ignored (Play reads the block flags itself); a quit
// message ends the loop. The owner posts quit and joins in the destructor.

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace medrix {

class NotificationThread {
public:
    enum Message { BlockDone, Quit };

    NotificationThread();
    NotificationThread(const NotificationThread&) = delete;
    NotificationThread& operator=(const NotificationThread&) = delete;
    ~NotificationThread();

    // Any thread.
    void post(Message message);
    // Posts Quit and waits for the loop to end. Idempotent.
    void quit();

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<Message> m_queue; // guarded by m_mutex
    std::thread m_thread;        // last: the loop uses the members above
};

} // namespace medrix
