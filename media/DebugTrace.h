#pragma once
// The debug trace: messages for a developer, never for the user. They go to standard error
// only when ORVEL_DEBUG_TRACE is set in the environment.

namespace medrix {

void debugTrace(const char* message);

} // namespace medrix
