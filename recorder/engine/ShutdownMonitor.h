#pragma once
// The module lock count and the shutdown monitor of a local server: objects and windows hold
// locks; once the count has fallen to 0 and stayed there for the idle time with no further
// release, the monitor calls quit (once) on its own thread. A server nobody ever locks counts
// as released at start, so a program started for a creator that went away still ends.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class ShutdownMonitor {
public:
    static constexpr int kIdleMs = 5000;

    // quit is called on the monitor's thread: it must only post.
    explicit ShutdownMonitor(std::function<void()> quit, int idleMs = kIdleMs);
    // Stops and joins the monitor.
    ~ShutdownMonitor();
    ShutdownMonitor(const ShutdownMonitor&) = delete;
    ShutdownMonitor& operator=(const ShutdownMonitor&) = delete;

    // Any thread.
    void lock();
    void unlock();
    long count() const;

private:
    void run();

    const std::function<void()> m_quit;
    const int m_idleMs;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    long m_count = 0;       // guarded by m_mutex
    bool m_released = true; // guarded by m_mutex: a release the monitor has not seen yet
    bool m_stop = false;    // guarded by m_mutex
    std::thread m_thread;
};

// Holds one lock of a monitor for its lifetime.
class ModuleLock {
public:
    explicit ModuleLock(ShutdownMonitor& monitor) : m_monitor(monitor) { m_monitor.lock(); }
    ~ModuleLock() { m_monitor.unlock(); }
    ModuleLock(const ModuleLock&) = delete;
    ModuleLock& operator=(const ModuleLock&) = delete;

private:
    ShutdownMonitor& m_monitor;
};
