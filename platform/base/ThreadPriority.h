#pragma once
// Thread priorities as the Windows levels the components ask for, mapped to nice values of the
// calling thread. Raising needs CAP_SYS_NICE or a nice limit that allows it; without it the
// thread keeps its priority, which costs only latency, so failure is reported, not fatal.

namespace orvel {

enum class ThreadPriority {
    Normal,      // nice 0
    AboveNormal, // nice -1
    Highest,     // nice -2
};

// True when the calling thread now runs at that priority.
bool setCurrentThreadPriority(ThreadPriority priority);

} // namespace orvel
