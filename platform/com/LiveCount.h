#pragma once
// A module's count of live objects and server locks: DllCanUnloadNow answers from it. Objects
// are released on worker threads too, so it is atomic. Constant-initialised, so a module needs
// no load or unload point for it.

#include <atomic>

class LiveCount {
public:
    constexpr LiveCount() = default;
    // A live object (UnknownImpl counts each of its objects).
    void increment() { m_objects.fetch_add(1, std::memory_order_relaxed); }
    void decrement() { m_objects.fetch_sub(1, std::memory_order_acq_rel); }
    // IClassFactory::LockServer. A lock belongs to the module, not to the factory it came
    // through; an unlock without a lock is ignored, so it can never hide a live object.
    void lock() { m_locks.fetch_add(1, std::memory_order_relaxed); }
    void unlock()
    {
        long held = m_locks.load(std::memory_order_relaxed);
        while (held > 0 &&
               !m_locks.compare_exchange_weak(held, held - 1, std::memory_order_acq_rel)) {
        }
    }
    // Live objects plus locks.
    long value() const
    {
        return m_objects.load(std::memory_order_acquire) + m_locks.load(std::memory_order_acquire);
    }

private:
    std::atomic<long> m_objects{0};
    std::atomic<long> m_locks{0};
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
