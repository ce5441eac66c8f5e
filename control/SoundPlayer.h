#pragma once
// Plays the camera's sound: N output blocks (the jitter buffer the connection speed chooses),
// a decoder whose state runs across parts, and the output level meter. A part that finds its
// next block still queued is dropped, never queued: latency stays bounded at N blocks.
//
// Threads: open and close on the window thread; play on the client's callback thread or the
// single-part reader thread. The sound lock guards the blocks and the decoder.

#include "control/AudioEvent.h"
#include "control/LevelMeter.h"
#include "media/codec/AudioCodec.h"
#include "platform/audio/WaveOut.h"

#include <memory>
#include <mutex>
#include <optional>

namespace pictra {

class SoundPlayer {
public:
    explicit SoundPlayer(std::shared_ptr<AudioPoster> poster);
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // blocks playback slots, a decoder of the codec and the output device. False when the
    // device cannot be opened.
    bool open(int blocks, orvel::codec::CodecType codec);
    // Stops the device, frees the blocks and the decoder.
    void close();
    // Decodes and queues one received part (or drops it).
    void play(const std::uint8_t* data, std::size_t size);

    bool isOpen() const;
    int blockCount() const;
    // Parts queued and parts dropped since open (tests and diagnostics).
    std::uint64_t partsQueued() const;
    std::uint64_t partsDropped() const;

private:
    struct Slot {
        orvel::audio::WaveBlock block;
        orvel::codec::ByteBuffer samples;
    };

    std::shared_ptr<AudioPoster> m_poster;
    mutable std::mutex m_lock; // the sound lock
    std::unique_ptr<Slot[]> m_slots;
    int m_slotCount = 0;
    int m_lastSlot = -1;
    std::optional<orvel::codec::AudioCodec> m_codec;
    std::unique_ptr<orvel::codec::CodecState> m_state;
    std::unique_ptr<orvel::audio::WaveOut> m_out;
    LevelMeter m_meter;
    std::uint64_t m_queued = 0;
    std::uint64_t m_dropped = 0;
};

} // namespace pictra
