#include "platform/audio/WaveQueue.h"

#include <vector>

namespace orvel::audio {

WaveQueue::WaveQueue(std::unique_ptr<PcmDevice> device, BlockDoneCallback done, bool running)
    : m_device(std::move(device)), m_done(std::move(done)), m_running(running),
      m_thread([this] { run(); })
{}

WaveQueue::~WaveQueue()
{
    reset();
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

bool WaveQueue::prepare(WaveBlock& block)
{
    std::lock_guard lock(m_mutex);
    std::uint32_t flags = block.flags.load();
    if (flags & WaveBlock::InQueue)
        return false;
    block.flags.store((flags | WaveBlock::Prepared) & ~WaveBlock::Done);
    return true;
}

bool WaveQueue::unprepare(WaveBlock& block)
{
    std::lock_guard lock(m_mutex);
    std::uint32_t flags = block.flags.load();
    if (flags & WaveBlock::InQueue)
        return false;
    block.flags.store(flags & ~WaveBlock::Prepared);
    return true;
}

bool WaveQueue::add(WaveBlock& block)
{
    {
        std::lock_guard lock(m_mutex);
        std::uint32_t flags = block.flags.load();
        if (!(flags & WaveBlock::Prepared) || (flags & WaveBlock::InQueue))
            return false;
        block.bytesRecorded = 0;
        block.flags.store((flags | WaveBlock::InQueue) & ~WaveBlock::Done);
        m_queue.push_back(&block);
    }
    m_wake.notify_all();
    return true;
}

void WaveQueue::reset()
{
    std::vector<WaveBlock*> given;
    {
        std::unique_lock lock(m_mutex);
        ++m_resets;
        m_device->interrupt();
        for (WaveBlock* block : m_queue) {
            block->flags.store((block->flags.load() | WaveBlock::Done) & ~WaveBlock::InQueue);
            given.push_back(block);
        }
        m_queue.clear();
        // The block in progress stays the caller's only once the device let go of it.
        m_wake.wait(lock, [&] { return !m_inTransfer; });
        m_device->restart();
    }
    if (m_done)
        for (WaveBlock* block : given)
            m_done(block);
}

void WaveQueue::setRunning(bool running)
{
    {
        std::lock_guard lock(m_mutex);
        m_running = running;
    }
    m_wake.notify_all();
}

std::size_t WaveQueue::queuedCount() const
{
    std::lock_guard lock(m_mutex);
    return m_queue.size();
}

void WaveQueue::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_stopping || (m_running && !m_queue.empty()); });
        if (m_stopping)
            return;
        WaveBlock* block = m_queue.front();
        const std::uint64_t resets = m_resets;
        m_inTransfer = true;
        lock.unlock();
        std::size_t n = m_device->transfer(block->data, block->length);
        lock.lock();
        m_inTransfer = false;
        m_wake.notify_all();
        if (resets != m_resets)
            continue; // reset gave the block back already
        m_queue.pop_front();
        block->bytesRecorded = n;
        block->flags.store((block->flags.load() | WaveBlock::Done) & ~WaveBlock::InQueue);
        if (m_done) {
            lock.unlock();
            m_done(block);
            lock.lock();
        }
    }
}

} // namespace orvel::audio
