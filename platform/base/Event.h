#pragma once
// A Win32-style event: a flag threads wait for. An auto-reset event lets one waiter through
// per set() and clears itself; a manual-reset event stays set, releasing every waiter, until
// reset(). Safe to use from any thread.

#include "platform/base/Tick.h"

#include <condition_variable>
#include <mutex>

enum class EventReset { Auto, Manual };
enum class EventState { Clear, Set };

class Event {
public:
    explicit Event(EventReset reset, EventState initial = EventState::Clear);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void set();
    void reset();
    // True when the event was set within timeoutMs (INFINITE waits for good); an auto-reset
    // event is cleared again by the waiter it releases. 0 only tests it.
    bool wait(DWORD timeoutMs);
    bool isSet() const;

private:
    const EventReset m_reset;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_set; // guarded by m_mutex
};
