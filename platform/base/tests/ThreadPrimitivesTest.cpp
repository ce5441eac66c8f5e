#include "platform/base/CriticalSection.h"
#include "platform/base/Event.h"
#include "platform/base/MessageQueue.h"
#include "platform/base/Tick.h"
#include "platform/base/WorkerThread.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {
// Generous bounds: a loaded test machine may be slow, never early.
constexpr DWORD kShortWait = 100;
constexpr ULONGLONG kLate = 5000;

TEST(EventTest, TimedWaitTimesOutNoSooner)
{
    Event event(EventReset::Manual);
    ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(event.wait(kShortWait));
    ULONGLONG elapsed = GetTickCount64() - start;
    EXPECT_GE(elapsed, kShortWait - 1); // tick granularity
    EXPECT_LT(elapsed, kLate);
    EXPECT_FALSE(event.wait(0));
}

TEST(EventTest, ManualResetReleasesEveryWaiterAndStaysSet)
{
    Event event(EventReset::Manual);
    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i)
        waiters.emplace_back([&] {
            if (event.wait(INFINITE))
                ++released;
        });
    event.set();
    for (auto& waiter : waiters)
        waiter.join();
    EXPECT_EQ(released, 3);
    EXPECT_TRUE(event.isSet());
    EXPECT_TRUE(event.wait(0));
    event.reset();
    EXPECT_FALSE(event.wait(0));
}

TEST(EventTest, AutoResetReleasesOneWaiterPerSet)
{
    Event event(EventReset::Auto, EventState::Set);
    EXPECT_TRUE(event.wait(0));
    EXPECT_FALSE(event.wait(0)); // the first wait cleared it

    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 2; ++i)
        waiters.emplace_back([&] {
            if (event.wait(2000))
                ++released;
        });
    event.set();
    // One of the two gets through; the other times out unless set again.
    ULONGLONG until = GetTickCount64() + kLate;
    while (released.load() < 1 && GetTickCount64() < until)
        std::this_thread::yield();
    EXPECT_EQ(released.load(), 1);
    event.set();
    for (auto& waiter : waiters)
        waiter.join();
    EXPECT_EQ(released, 2);
    EXPECT_FALSE(event.isSet());
}

TEST(CriticalSectionTest, IsRecursiveAndExcludesOtherThreads)
{
    CriticalSection section;
    int counter = 0;
    {
        CriticalSectionLocker outer(section);
        CriticalSectionLocker inner(section); // the owner enters again
        bool otherGotIn = true;
        std::thread other([&] {
            otherGotIn = section.try_lock();
            if (otherGotIn)
                section.unlock();
        });
        other.join();
        EXPECT_FALSE(otherGotIn);
    }
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) {
                CriticalSectionLocker hold(section);
                ++counter;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 40000);
}

TEST(MessageQueueTest, DeliversAcrossThreadsInOrderThenQuits)
{
    MessageQueue queue;
    std::thread poster([&] {
        for (int i = 0; i < 1000; ++i)
            queue.post(WM_USER + 1, static_cast<WPARAM>(i), -i);
        queue.postQuit(7);
    });
    Message message;
    int expected = 0;
    while (queue.get(message, 10000) == MessageQueue::GetResult::Message) {
        EXPECT_EQ(message.message, WM_USER + 1);
        EXPECT_EQ(message.wParam, static_cast<WPARAM>(expected));
        EXPECT_EQ(message.lParam, -expected);
        ++expected;
    }
    poster.join();
    EXPECT_EQ(expected, 1000); // nothing posted before the quit was lost
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.wParam, 7u);
    // The quit stays, and later posts are refused.
    EXPECT_EQ(queue.get(message, 0), MessageQueue::GetResult::Quit);
    EXPECT_FALSE(queue.post(WM_USER));
    EXPECT_EQ(queue.pending(), 0u);
}

TEST(MessageQueueTest, GetTimesOutWhenNothingArrives)
{
    MessageQueue queue;
    Message message;
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(queue.get(message, kShortWait), MessageQueue::GetResult::Timeout);
    EXPECT_GE(GetTickCount64() - start, kShortWait - 1);
    EXPECT_EQ(queue.get(message, 0), MessageQueue::GetResult::Timeout);

    // A post from another thread ends an unbounded wait.
    std::thread poster([&] { queue.post(WM_APP, 1, 2); });
    EXPECT_EQ(queue.get(message, INFINITE), MessageQueue::GetResult::Message);
    EXPECT_EQ(message.message, WM_APP);
    poster.join();
}

TEST(WorkerThreadTest, HandlesMessagesOnItsThreadAndFinishesThemWhenStopped)
{
    std::vector<WPARAM> seen;
    std::atomic<bool> offThread{true};
    std::thread::id caller = std::this_thread::get_id();
    {
        WorkerThread worker([&](const Message& message) {
            offThread = offThread && std::this_thread::get_id() != caller;
            seen.push_back(message.wParam); // only the worker touches it until the join
        });
        for (WPARAM i = 0; i < 100; ++i)
            EXPECT_TRUE(worker.post(WM_USER, i));
        worker.stop();
        EXPECT_FALSE(worker.post(WM_USER, 100));
    }
    ASSERT_EQ(seen.size(), 100u);
    for (WPARAM i = 0; i < 100; ++i)
        EXPECT_EQ(seen[i], i);
    EXPECT_TRUE(offThread);
}

TEST(TickTest, IsMonotonicAndCountsMilliseconds)
{
    ULONGLONG first = GetTickCount64();
    Event never(EventReset::Manual);
    never.wait(50);
    ULONGLONG second = GetTickCount64();
    EXPECT_GE(second - first, 49u);
    EXPECT_LT(second - first, kLate);
    // The 32-bit tick is the low part of the same count.
    DWORD low = GetTickCount();
    EXPECT_LE(static_cast<DWORD>(low - static_cast<DWORD>(second)), 1000u);
}
} // namespace
