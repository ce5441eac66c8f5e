// The wave queues on the null device: real time, done flags, order and reset.

#include "platform/audio/WaveIn.h"
#include "platform/audio/WaveOut.h"

#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <vector>

using namespace orvel::audio;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// Records the blocks given back, in order, and lets a test wait for a count.
class DoneLog {
public:
    BlockDoneCallback callback()
    {
        return [this](WaveBlock* block) {
            std::lock_guard lock(m_mutex);
            m_blocks.push_back(block);
            m_changed.notify_all();
        };
    }
    bool waitFor(std::size_t count, std::chrono::milliseconds deadline = 5000ms)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, deadline, [&] { return m_blocks.size() >= count; });
    }
    std::vector<WaveBlock*> blocks()
    {
        std::lock_guard lock(m_mutex);
        return m_blocks;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<WaveBlock*> m_blocks;
};

const WaveFormat kFormat{}; // 8000 Hz, 16-bit mono: 16000 bytes a second

TEST(WaveOut, NullDevicePlaysInRealTimeAndInOrder)
{
    DoneLog log;
    auto out = WaveOut::open(kFormat, log.callback(), DeviceChoice::Null);
    ASSERT_TRUE(out->isNull());
    std::vector<std::uint8_t> samples(4000); // 250 ms each
    WaveBlock a, b;
    a.data = b.data = samples.data();
    a.length = b.length = samples.size();
    ASSERT_TRUE(out->prepare(a));
    ASSERT_TRUE(out->prepare(b));
    EXPECT_FALSE(a.done());

    auto start = Clock::now();
    ASSERT_TRUE(out->write(a));
    ASSERT_TRUE(out->write(b));
    EXPECT_TRUE(a.queued());
    EXPECT_EQ(out->queuedCount(), 2u);
    EXPECT_FALSE(out->unprepare(a)); // still queued

    ASSERT_TRUE(log.waitFor(2));
    auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, 450ms);
    EXPECT_LT(elapsed, 3000ms);
    EXPECT_EQ(log.blocks(), (std::vector<WaveBlock*>{&a, &b}));
    EXPECT_TRUE(a.done());
    EXPECT_FALSE(a.queued());
    EXPECT_TRUE(out->unprepare(a));
    EXPECT_FALSE(a.prepared());
}

TEST(WaveOut, WriteNeedsAPreparedIdleBlock)
{
    auto out = WaveOut::open(kFormat, {}, DeviceChoice::Null);
    std::vector<std::uint8_t> samples(16000);
    WaveBlock block;
    block.data = samples.data();
    block.length = samples.size();
    EXPECT_FALSE(out->write(block));
    ASSERT_TRUE(out->prepare(block));
    ASSERT_TRUE(out->write(block));
    EXPECT_FALSE(out->write(block));
    EXPECT_FALSE(out->prepare(block));
}

TEST(WaveOut, ResetGivesBackEveryQueuedBlockAtOnce)
{
    DoneLog log;
    auto out = WaveOut::open(kFormat, log.callback(), DeviceChoice::Null);
    std::vector<std::uint8_t> samples(160000); // 10 s each
    std::vector<WaveBlock> blocks(3);
    for (auto& block : blocks) {
        block.data = samples.data();
        block.length = samples.size();
        out->prepare(block);
        out->write(block);
    }
    auto start = Clock::now();
    out->reset();
    EXPECT_LT(Clock::now() - start, 2000ms);
    EXPECT_EQ(out->queuedCount(), 0u);
    for (auto& block : blocks) {
        EXPECT_TRUE(block.done());
        EXPECT_FALSE(block.queued());
    }
    EXPECT_EQ(log.blocks().size(), 3u);

    // The queue plays again after a reset.
    std::vector<std::uint8_t> shortSamples(160);
    WaveBlock again;
    again.data = shortSamples.data();
    again.length = shortSamples.size();
    out->prepare(again);
    out->write(again);
    EXPECT_TRUE(log.waitFor(4));
}

TEST(WaveOut, ClosingWithQueuedBlocksReturnsPromptly)
{
    std::vector<std::uint8_t> samples(160000);
    WaveBlock block;
    block.data = samples.data();
    block.length = samples.size();
    auto start = Clock::now();
    {
        auto out = WaveOut::open(kFormat, {}, DeviceChoice::Null);
        out->prepare(block);
        out->write(block);
    }
    EXPECT_LT(Clock::now() - start, 2000ms);
    EXPECT_TRUE(block.done());
}

TEST(WaveIn, CapturesSilenceInRealTimeOnlyWhileStarted)
{
    DoneLog log;
    auto in = WaveIn::open(kFormat, log.callback(), DeviceChoice::Null);
    std::vector<std::uint8_t> buffer(1600, 0xaa); // 50 ms
    WaveBlock block;
    block.data = buffer.data();
    block.length = buffer.size();
    in->prepare(block);
    ASSERT_TRUE(in->addBuffer(block));
    EXPECT_FALSE(log.waitFor(1, 200ms)); // not started
    in->start();
    ASSERT_TRUE(log.waitFor(1));
    EXPECT_EQ(block.bytesRecorded, buffer.size());
    EXPECT_TRUE(block.done());
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[1599], 0);
}

} // namespace
