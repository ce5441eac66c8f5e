#pragma once
// The devices behind the wave queues: ALSA when there is a sound card, else a null device
// that takes and gives samples in real time, so every path of a caller runs the same way.
// Internal to the audio layer.

#include "platform/audio/WaveFormat.h"

#include <memory>

namespace orvel::audio {

class PcmDevice {
public:
    virtual ~PcmDevice() = default;
    // Plays (or captures into) the bytes, blocking about as long as they last. Returns the
    // bytes played or captured; fewer when interrupted. Called on the queue's thread.
    virtual std::size_t transfer(std::uint8_t* data, std::size_t length) = 0;
    // Makes a running and every later transfer return at once, until restart. Any thread.
    virtual void interrupt() = 0;
    // Forgets the pacing and anything buffered and ends the interruption. Called on the
    // queue's thread, or on any thread while no transfer runs.
    virtual void restart() = 0;
    virtual bool isNull() const = 0;
};

enum class Direction { Playback, Capture };

// Never null: falls back to the null device.
std::unique_ptr<PcmDevice> openPcmDevice(const WaveFormat& format, Direction direction,
                                         DeviceChoice choice);

// True when a sound card is present and not overridden by ORVEL_AUDIO=null.
bool soundCardAvailable();

} // namespace orvel::audio
