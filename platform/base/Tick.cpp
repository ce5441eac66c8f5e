#include "platform/base/Tick.h"

#include <ctime>

ULONGLONG GetTickCount64()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<ULONGLONG>(now.tv_sec) * 1000u +
           static_cast<ULONGLONG>(now.tv_nsec) / 1000000u;
}

DWORD GetTickCount()
{
    return static_cast<DWORD>(GetTickCount64());
}
