#pragma once
// Sound capture: blocks added to the queue are filled in order while started; each comes back
// with Done set and bytesRecorded. The null device records silence in real time.

#include "platform/audio/WaveQueue.h"

namespace orvel::audio {

class WaveIn {
public:
    static std::unique_ptr<WaveIn> open(const WaveFormat& format, BlockDoneCallback done,
                                        DeviceChoice choice = DeviceChoice::Default);

    bool isNull() const { return m_queue.isNull(); }
    const WaveFormat& format() const { return m_format; }

    bool prepare(WaveBlock& block) { return m_queue.prepare(block); }
    bool unprepare(WaveBlock& block) { return m_queue.unprepare(block); }
    bool addBuffer(WaveBlock& block) { return m_queue.add(block); }
    void start() { m_queue.setRunning(true); }
    // The block being filled completes; the rest wait for the next start.
    void stop() { m_queue.setRunning(false); }
    void reset() { m_queue.reset(); }
    std::size_t queuedCount() const { return m_queue.queuedCount(); }

private:
    WaveIn(const WaveFormat& format, std::unique_ptr<PcmDevice> device, BlockDoneCallback done)
        : m_format(format), m_queue(std::move(device), std::move(done), false)
    {}

    WaveFormat m_format;
    WaveQueue m_queue;
};

} // namespace orvel::audio
