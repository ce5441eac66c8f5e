#pragma once
// A monotonic millisecond tick, as GetTickCount gives: unaffected by changes of the wall
// clock. The 32-bit count wraps after 49.7 days; compare ticks by unsigned difference.

#include "platform/base/WinTypes.h"

// A wait that never times out.
constexpr DWORD INFINITE = 0xFFFFFFFF;

DWORD GetTickCount();
ULONGLONG GetTickCount64();
