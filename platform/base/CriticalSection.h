#pragma once
// A recursive lock, as a Win32 critical section is: the owning thread may enter again. It is
// BasicLockable, so std::lock_guard, std::unique_lock and std::condition_variable_any work.
//
//   CriticalSection m_lock;
//   int m_count ORVEL_GUARDED_BY(m_lock);
//   ...
//   CriticalSectionLocker hold(m_lock);

#include "platform/base/ThreadAnnotations.h"

#include <mutex>

class ORVEL_CAPABILITY("mutex") CriticalSection {
public:
    CriticalSection() = default;
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void lock() ORVEL_ACQUIRE() { m_mutex.lock(); }
    void unlock() ORVEL_RELEASE() { m_mutex.unlock(); }
    bool try_lock() ORVEL_TRY_ACQUIRE(true) { return m_mutex.try_lock(); }

private:
    std::recursive_mutex m_mutex;
};

// Holds a CriticalSection for a scope.
class ORVEL_SCOPED_CAPABILITY CriticalSectionLocker {
public:
    explicit CriticalSectionLocker(CriticalSection& section) ORVEL_ACQUIRE(section)
        : m_section(section)
    {
        m_section.lock();
    }
    ~CriticalSectionLocker() ORVEL_RELEASE() { m_section.unlock(); }
    CriticalSectionLocker(const CriticalSectionLocker&) = delete;
    CriticalSectionLocker& operator=(const CriticalSectionLocker&) = delete;

private:
    CriticalSection& m_section;
};
