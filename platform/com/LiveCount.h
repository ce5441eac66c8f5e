#pragma once
// A module's count of live objects and server locks: DllCanUnloadNow answers from it. Objects
// are released on worker threads too, so it is atomic.

#include <atomic>

class LiveCount {
public:
    constexpr LiveCount() = default;
    void increment() { m_count.fetch_add(1, std::memory_order_relaxed); }
    void decrement() { m_count.fetch_sub(1, std::memory_order_acq_rel); }
    long value() const { return m_count.load(std::memory_order_acquire); }

private:
    std::atomic<long> m_count{0};
};

// Holds one count for its lifetime (an object, a factory lock).
class LiveCountHold {
public:
    explicit LiveCountHold(LiveCount* count) : m_count(count)
    {
        if (m_count)
            m_count->increment();
    }
    LiveCountHold(const LiveCountHold&) = delete;
    LiveCountHold& operator=(const LiveCountHold&) = delete;
    ~LiveCountHold()
    {
        if (m_count)
            m_count->decrement();
    }

private:
    LiveCount* m_count;
};
