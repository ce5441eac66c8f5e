#pragma once
// Which processor a thread runs on. Two threads that hand data to each other thousands of
// times a second run best on one processor: the data stays in its cache, and waking the other
// thread needs no interrupt to a sleeping processor.

#include "platform/base/WinTypes.h"

namespace orvel {

// The processor the calling thread runs on now; -1 when the system does not say.
int currentProcessor();

// Keeps the thread with that kernel thread id on one processor until called again; false
// when the system refuses (the processor is not allowed to the process, or the thread ended).
bool keepThreadOnProcessor(DWORD threadId, int processor);

// Lets the thread run on every processor the calling thread may run on; false when the system
// refuses.
bool letThreadRunAnywhere(DWORD threadId);

} // namespace orvel
