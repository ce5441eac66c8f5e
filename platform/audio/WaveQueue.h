#pragma once
// The block queue behind WaveOut and WaveIn: one device thread takes queued blocks in order,
// plays or fills each, sets its Done flag and reports it through the done callback.

#include "platform/audio/AudioDevice.h"
#include "platform/audio/WaveFormat.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace orvel::audio {

// Called on the device thread (or on the thread calling reset) once per block given back.
using BlockDoneCallback = std::function<void(WaveBlock*)>;

class WaveQueue {
public:
    WaveQueue(std::unique_ptr<PcmDevice> device, BlockDoneCallback done, bool running);
    WaveQueue(const WaveQueue&) = delete;
    WaveQueue& operator=(const WaveQueue&) = delete;
    // Gives back every queued block (reset) and joins the device thread.
    ~WaveQueue();

    bool isNull() const { return m_device->isNull(); }

    // False for a block already queued.
    bool prepare(WaveBlock& block);
    // False while the block is queued.
    bool unprepare(WaveBlock& block);
    // False for a block that is not prepared or already queued.
    bool add(WaveBlock& block);
    // Gives back every queued block, marked Done, and stops the one in progress. When it
    // returns the device thread holds no block.
    void reset();
    void setRunning(bool running);
    std::size_t queuedCount() const;

private:
    void run();

    std::unique_ptr<PcmDevice> m_device;
    BlockDoneCallback m_done;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<WaveBlock*> m_queue; // guarded by m_mutex; front is the block in progress
    bool m_running;                 // guarded by m_mutex
    bool m_stopping = false;        // guarded by m_mutex
    bool m_inTransfer = false;      // guarded by m_mutex
    std::uint64_t m_resets = 0;     // guarded by m_mutex
    std::thread m_thread;           // last: starts after the state above exists
};

} // namespace orvel::audio
