// What unloading does with worker threads still registered: each is told to stop and given a
// bounded time to end, never left running unseen and never waited for without end.
#include "client/ThreadRegistry.h"

#include "testsupport/WaitUntil.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace std::chrono_literals;
using lumin::ThreadRegistry;

namespace {
// A worker as the client's threads run: registers itself, waits for its stop flag, removes
// itself. It gives up after a while, so a registry that never stops it fails the test instead
// of hanging it.
std::jthread startWorker(ThreadRegistry& registry, std::atomic<bool>& registered,
                         std::atomic<bool>& sawStop)
{
    return std::jthread([&] {
        const DWORD id = ThreadRegistry::currentThreadId();
        auto entry = registry.add(id);
        registered = true;
        sawStop = waitUntil([&] { return entry->stopped.load(); }, 20s);
        registry.remove(id);
    });
}
} // namespace

TEST(ThreadRegistry, TerminateAllStopsEveryRegisteredThreadAndWaitsForItsEnd)
{
    ThreadRegistry registry;
    std::atomic<bool> registeredA{false}, registeredB{false}, stopA{false}, stopB{false};
    std::jthread a = startWorker(registry, registeredA, stopA);
    std::jthread b = startWorker(registry, registeredB, stopB);
    ASSERT_TRUE(waitUntil([&] { return registeredA && registeredB; }, 10s))
        << "a worker never started";

    registry.terminateAll();
    // Both ended before terminateAll returned: they saw the stop and removed themselves.
    EXPECT_TRUE(stopA);
    EXPECT_TRUE(stopB);
}

TEST(ThreadRegistry, TerminateAllGivesUpOnAHangingThreadAfterItsBound)
{
    ThreadRegistry registry;
    std::atomic<bool> release{false};
    std::atomic<bool> registered{false};
    std::jthread hanging([&] {
        registry.add(ThreadRegistry::currentThreadId());
        registered = true;
        // Ignores its stop flag, like a sink blocked for good, until the test lets it go.
        waitUntil([&] { return release.load(); }, 30s);
    });
    struct Release {
        std::atomic<bool>& flag;
        ~Release() { flag = true; } // before the thread is joined, on every way out
    } releaseOnExit{release};
    ASSERT_TRUE(waitUntil([&] { return registered.load(); }, 10s)) << "the worker never started";

    const auto start = std::chrono::steady_clock::now();
    registry.terminateAll();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(ThreadRegistry::kTerminateWaitMs - 100));
    EXPECT_LT(took, std::chrono::milliseconds(ThreadRegistry::kTerminateWaitMs + 3000));
}
