#pragma once
// The recorder's capture thread: a periodic timer on a thread of its own that calls its tick
// function every interval until stopped. Like a window timer, ticks that fall due while a tick
// is still running are not queued up: one fires as soon as the running one returns, and the
// cadence goes on from there.

#include "platform/base/WinTypes.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class CaptureThread {
public:
    using Tick = std::function<void()>;

    // The timer's shortest period, as window timers have one.
    static constexpr DWORD kMinimumIntervalMs = 10;

    // Starts the thread and waits until its timer runs. Null when the thread could not be
    // started (or did not come up within a bounded wait).
    static std::unique_ptr<CaptureThread> start(DWORD intervalMs, Tick tick);

    // Stops and joins. Never from the thread's own tick.
    ~CaptureThread();
    CaptureThread(const CaptureThread&) = delete;
    CaptureThread& operator=(const CaptureThread&) = delete;

    bool isCurrentThread() const { return std::this_thread::get_id() == m_thread.get_id(); }

private:
    CaptureThread(DWORD intervalMs, Tick tick) : m_intervalMs(intervalMs), m_tick(std::move(tick))
    {}
    void run();

    const DWORD m_intervalMs;
    const Tick m_tick;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_running = false; // guarded by m_mutex: the timer is set
    bool m_stop = false;    // guarded by m_mutex
    std::thread m_thread;
};
