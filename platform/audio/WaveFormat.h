#pragma once
// The PCM format of a wave device: interleaved little-endian signed samples.

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace orvel::audio {

struct WaveFormat {
    int channels = 1;
    int samplesPerSecond = 8000;
    int bitsPerSample = 16;

    int blockAlign() const { return channels * bitsPerSample / 8; }
    int bytesPerSecond() const { return samplesPerSecond * blockAlign(); }
};

// One block of a wave queue: the caller owns the header and the bytes, and changes neither
// while the block is queued. The flags are those of a wave header: the device thread sets
// Done when it has played (or filled) the block.
struct WaveBlock {
    static constexpr std::uint32_t Done = 0x1;
    static constexpr std::uint32_t Prepared = 0x2;
    static constexpr std::uint32_t InQueue = 0x10;

    std::uint8_t* data = nullptr;
    std::size_t length = 0;
    // Capture blocks: bytes filled.
    std::size_t bytesRecorded = 0;
    std::atomic_uint32_t flags{0};

    bool prepared() const { return flags.load() & Prepared; }
    bool done() const { return flags.load() & Done; }
    // Prepared and not yet given back by the device.
    bool queued() const { return prepared() && !done(); }
};

// Which device to open. Default is the system's default sound card when there is one, else
// the null device; the environment variable ORVEL_AUDIO=null forces the null device.
enum class DeviceChoice { Default, Null };

} // namespace orvel::audio
