#pragma once
// Sound output: a queue of blocks played in order on the default sound card, or on the null
// device in real time when there is none. The caller prepares each block, writes it, and
// reuses it once its Done flag is set.

#include "platform/audio/WaveQueue.h"

namespace orvel::audio {

class WaveOut {
public:
    // Never fails: without a usable card the null device plays. done may be empty.
    static std::unique_ptr<WaveOut> open(const WaveFormat& format, BlockDoneCallback done,
                                         DeviceChoice choice = DeviceChoice::Default);

    bool isNull() const { return m_queue.isNull(); }
    const WaveFormat& format() const { return m_format; }

    bool prepare(WaveBlock& block) { return m_queue.prepare(block); }
    bool unprepare(WaveBlock& block) { return m_queue.unprepare(block); }
    bool write(WaveBlock& block) { return m_queue.add(block); }
    // Stops playback and gives back every queued block marked Done.
    void reset() { m_queue.reset(); }
    std::size_t queuedCount() const { return m_queue.queuedCount(); }

private:
    WaveOut(const WaveFormat& format, std::unique_ptr<PcmDevice> device, BlockDoneCallback done)
        : m_format(format), m_queue(std::move(device), std::move(done), true)
    {}

    WaveFormat m_format;
    WaveQueue m_queue;
};

} // namespace orvel::audio
