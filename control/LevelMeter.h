#pragma once
// The sound panel's level meter, 0 to 8, for output or input: it rises at once with a louder
// peak and falls by one per quiet fifth of a buffer once more than 8 quiet fifths have passed.

#include <cstddef>
#include <cstdint>

namespace pictra {

class LevelMeter {
public:
    static constexpr int kMaxLevel = 8;

    // 16-bit little-endian samples. True when the level changed.
    bool run(const std::uint8_t* samples, std::size_t bytes);
    int level() const { return m_level; }
    // Back to silence (a stopped stream).
    void reset()
    {
        m_level = 0;
        m_quiet = 0;
    }

private:
    int m_level = 0;
    int m_lastPeak = 0; // of the previous fifth, of this buffer or of the one before
    int m_quiet = 0;
};

} // namespace pictra
