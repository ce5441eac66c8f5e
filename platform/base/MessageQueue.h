#pragma once
// A worker thread's message queue, in the manner of a Win32 thread queue: any thread posts
// (message, wParam, lParam); the owning thread takes them in order with get(). A quit is
// delivered after every message posted before it, and from then on get() keeps answering
// Quit, so a worker loop cannot miss it; posts after the quit are refused.

#include "platform/base/Tick.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;

constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

struct Message {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class MessageQueue {
public:
    enum class GetResult { Message, Quit, Timeout };

    MessageQueue() = default;
    MessageQueue(const MessageQueue&) = delete;
    MessageQueue& operator=(const MessageQueue&) = delete;

    // Any thread. False once a quit has been posted.
    bool post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Any thread. The quit message carries exitCode in its wParam.
    void postQuit(int exitCode = 0);

    // The owning thread. Waits up to timeoutMs (INFINITE, or 0 to only look). On Message and
    // Quit, message is filled (WM_QUIT for a quit).
    GetResult get(Message& message, DWORD timeoutMs = INFINITE);

    std::size_t pending() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<Message> m_messages; // guarded by m_mutex
    bool m_quit = false;            // guarded by m_mutex
    int m_exitCode = 0;             // guarded by m_mutex
};
