#pragma once
// The one way a test waits: poll a condition until it holds or a deadline passes. Tests never
// sleep to synchronise; they wait for what they are about to assert.
//
//     ASSERT_TRUE(waitUntil([&] { return sink.parts() >= 3; }, 10s));
//
// `between` runs between polls, for a test that must keep an event loop turning while it waits
// (for example `[] { QCoreApplication::processEvents(); }`).

#include <algorithm>
#include <chrono>
#include <thread>

// True as soon as predicate() is true; false when it is still false at the deadline. The
// predicate is tried once more at the deadline, so a condition met just then is not missed.
template <typename Predicate, typename Between>
bool waitUntil(Predicate&& predicate, std::chrono::steady_clock::time_point deadline,
               Between&& between)
{
    // Short polls at first (most waits end within a few ms), then no more than 10 ms apart.
    auto pause = std::chrono::microseconds(200);
    constexpr auto kLongestPause = std::chrono::milliseconds(10);
    for (;;) {
        if (predicate())
            return true;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        between();
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
        pause = std::min<std::chrono::microseconds>(pause * 2, kLongestPause);
    }
}

template <typename Predicate>
bool waitUntil(Predicate&& predicate, std::chrono::steady_clock::time_point deadline)
{
    return waitUntil(predicate, deadline, [] {});
}

template <typename Predicate, typename Rep, typename Period>
bool waitUntil(Predicate&& predicate, std::chrono::duration<Rep, Period> limit)
{
    return waitUntil(predicate, std::chrono::steady_clock::now() + limit, [] {});
}

template <typename Predicate, typename Rep, typename Period, typename Between>
bool waitUntil(Predicate&& predicate, std::chrono::duration<Rep, Period> limit, Between&& between)
{
    return waitUntil(predicate, std::chrono::steady_clock::now() + limit, between);
}
