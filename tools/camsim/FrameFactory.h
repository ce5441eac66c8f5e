#pragma once
// Turns frame facts into JPEG bytes: renders the test picture, encodes it and adds a comment
// segment that states the facts ("CAMSIM camera=1 frame=12 size=640x480 time=…"), so a test
// can tell frames apart without decoding. With tricky data on, a second comment carries zero
// bytes and CR LF "--" followed by all but the last character of the boundary: the bytes a
// careless multipart splitter trips over, inside a JPEG that still decodes.

#include "tools/camsim/JpegEncoder.h"
#include "tools/camsim/TestPicture.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

namespace camsim {

class FrameFactory {
public:
    // trickyBoundary empty: no tricky comment. Called on one connection thread.
    FrameFactory(const TestPicture& picture, int quality, std::string trickyBoundary);
    bool valid() const { return m_encoder != nullptr; }
    std::string make(const FrameFacts& facts); // empty when encoding failed

private:
    const TestPicture& m_picture;
    int m_quality;
    std::string m_trickyComment;
    std::unique_ptr<JpegEncoder> m_encoder;
    std::vector<std::uint8_t> m_rgb;
};

// Loops of pre-encoded frames shared by the connections of one camera, one per input, size
// and viewport, so an unthrottled stream only copies bytes.
class FrameLoopCache {
public:
    using Loop = std::vector<std::string>;
    FrameLoopCache(int frames, std::int64_t clockStartMs, int intervalMs);

    // Builds the loop with the caller's factory the first time. Thread-safe.
    std::shared_ptr<const Loop> get(int camera, int width, int height, const Viewport& viewport,
                                    FrameFactory& factory);

private:
    using Key = std::tuple<int, int, int, double, double, int>;
    int m_frames;
    std::int64_t m_clockStartMs;
    int m_intervalMs;
    std::mutex m_mutex; // guards m_loops
    std::map<Key, std::shared_ptr<const Loop>> m_loops;
};

// Inserts a JPEG comment segment (FF FE) right after the start-of-image marker.
void insertJpegComment(std::string& jpeg, const std::string& comment);
// The facts comment of a frame, or empty when it has none.
std::string jpegComment(const std::string& jpeg);

} // namespace camsim
