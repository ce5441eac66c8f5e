#pragma once
// A thread-safe list of what happened to a camera (requests, PTZ commands, banner commands)
// that tests read and wait on.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace camsim {

template <typename T> class EventLog {
public:
    void add(T event)
    {
        {
            std::lock_guard lock(m_mutex);
            m_events.push_back(std::move(event));
        }
        m_changed.notify_all();
    }

    std::vector<T> snapshot() const
    {
        std::lock_guard lock(m_mutex);
        return m_events;
    }

    // True once at least count events were logged; false at the deadline.
    bool waitForCount(std::size_t count, std::chrono::milliseconds timeout) const
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return m_events.size() >= count; });
    }

private:
    mutable std::mutex m_mutex; // guards m_events
    mutable std::condition_variable m_changed;
    std::vector<T> m_events;
};

// A level that tests wait on, such as the number of streams being served.
class Gauge {
public:
    void add(int delta)
    {
        {
            std::lock_guard lock(m_mutex);
            m_value += delta;
        }
        m_changed.notify_all();
    }
    int value() const
    {
        std::lock_guard lock(m_mutex);
        return m_value;
    }
    bool waitFor(int value, std::chrono::milliseconds timeout) const
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return m_value == value; });
    }

private:
    mutable std::mutex m_mutex; // guards m_value
    mutable std::condition_variable m_changed;
    int m_value = 0;
};

} // namespace camsim
