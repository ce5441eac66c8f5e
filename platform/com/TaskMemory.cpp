#include "platform/com/TaskMemory.h"

#include <cstdlib>

// malloc keeps allocation and release symmetric across every shared library of the process.
void* CoTaskMemAlloc(std::size_t cb)
{
    return std::malloc(cb ? cb : 1);
}
void* CoTaskMemRealloc(void* pv, std::size_t cb)
{
    return std::realloc(pv, cb ? cb : 1);
}
void CoTaskMemFree(void* pv)
{
    std::free(pv);
}
