#pragma once
// What the null device plays and records, for tests and demos without a sound card: the
// samples every null playback device played, and a source for what null capture devices
// record (silence when none is set). Process-wide; a tap set while devices run takes effect
// at their next block.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace orvel::audio {

class NullAudioTap {
public:
    // Fills the block with the next samples of the capture (16-bit little-endian bytes).
    using CaptureSource = std::function<void(std::uint8_t* data, std::size_t length)>;

    // Starts keeping what null playback devices play (cleared); stops keeping it with false.
    static void recordPlayback(bool on);
    // Everything played since recordPlayback(true), in the order played.
    static std::vector<std::uint8_t> played();
    static std::size_t playedBytes();

    // An empty source records silence again.
    static void setCaptureSource(CaptureSource source);
    // False: null capture hands out blocks as fast as they are taken, not in real time
    // (long uploads in a short test). Playback always keeps real time.
    static void setCapturePaced(bool paced);
    static bool capturePaced();

    // Called by the null device on its queue's thread.
    static void onPlayed(const std::uint8_t* data, std::size_t length);
    // False when no source is set (the caller records silence).
    static bool capture(std::uint8_t* data, std::size_t length);
};

} // namespace orvel::audio
