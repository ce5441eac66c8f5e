#pragma once
// The control library's count of live objects and server locks: DllCanUnloadNow answers from
// it. Constant-initialised, so it needs no load or unload point.

#include "platform/com/LiveCount.h"

namespace pictra {

LiveCount& moduleLiveCount();

} // namespace pictra
