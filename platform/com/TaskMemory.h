#pragma once
// The COM task allocator: blocks handed across interfaces (capability lists, GetData copies,
// strings from StringFromCLSID) are allocated here and freed by the receiver with CoTaskMemFree.

#include <cstddef>

void* CoTaskMemAlloc(std::size_t cb);
void* CoTaskMemRealloc(void* pv, std::size_t cb);
void CoTaskMemFree(void* pv);
