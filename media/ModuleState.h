#pragma once
// The media library's count of live objects and server locks: DllCanUnloadNow answers from
// it. Constant-initialised, so it needs no load or unload point.

#include "platform/com/LiveCount.h"

namespace medrix {

LiveCount& moduleLiveCount();

} // namespace medrix
