// What unloading does with worker threads still registered: each is told to stop and given a
// bounded time to end, never left running unseen and never waited for without end.
#include "client/ThreadRegistry.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace std::chrono_literals;
using lumin::ThreadRegistry;

namespace {
// A worker as the client's threads run: registers itself, polls its stop flag, removes itself.
std::thread startWorker(ThreadRegistry& registry, std::atomic<bool>& registered,
                        std::atomic<bool>& sawStop)
{
    return std::thread([&] {
        const DWORD id = ThreadRegistry::currentThreadId();
        auto entry = registry.add(id, 1);
        registered = true;
        while (!entry->stopped)
            std::this_thread::sleep_for(1ms);
        sawStop = true;
        registry.remove(id);
    });
}
} // namespace

TEST(ThreadRegistry, TerminateAllStopsEveryRegisteredThreadAndWaitsForItsEnd)
{
    ThreadRegistry registry;
    std::atomic<bool> registeredA{false}, registeredB{false}, stopA{false}, stopB{false};
    std::thread a = startWorker(registry, registeredA, stopA);
    std::thread b = startWorker(registry, registeredB, stopB);
    while (!registeredA || !registeredB)
        std::this_thread::sleep_for(1ms);

    registry.terminateAll();
    // Both ended before terminateAll returned: they saw the stop and removed themselves.
    EXPECT_TRUE(stopA);
    EXPECT_TRUE(stopB);
    a.join();
    b.join();
}

TEST(ThreadRegistry, TerminateAllGivesUpOnAHangingThreadAfterItsBound)
{
    ThreadRegistry registry;
    std::atomic<bool> release{false};
    std::atomic<bool> registered{false};
    std::thread hanging([&] {
        registry.add(ThreadRegistry::currentThreadId(), 1);
        registered = true;
        while (!release) // ignores its stop flag, like a sink blocked for good
            std::this_thread::sleep_for(1ms);
    });
    while (!registered)
        std::this_thread::sleep_for(1ms);

    const auto start = std::chrono::steady_clock::now();
    registry.terminateAll();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(ThreadRegistry::kTerminateWaitMs - 100));
    EXPECT_LT(took, std::chrono::milliseconds(ThreadRegistry::kTerminateWaitMs + 3000));
    release = true;
    hanging.join();
}
