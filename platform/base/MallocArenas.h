#pragma once
// Bounds the C library's allocator arenas for a program that opens camera streams.
//
// Each stream runs on threads of its own that end when it closes, so a program that reconnects
// all day starts thousands of threads. The allocator gives new threads arenas of their own, up
// to eight per processor, and each arena keeps the free memory its threads left behind: resident
// memory grows by tens of megabytes over an hour while the heap in use stays flat. The threads
// mostly wait on sockets, so two arenas cost no measurable contention.

namespace orvel {

inline constexpr int kMallocArenas = 2;

// Call first thing in main, before any thread starts. A MALLOC_ARENA_MAX or GLIBC_TUNABLES in
// the environment wins (someone measuring chose it). False when the allocator refused.
bool boundMallocArenas();

} // namespace orvel
