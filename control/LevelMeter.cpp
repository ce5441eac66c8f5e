#include "control/LevelMeter.h"

#include <algorithm>
#include <cstdlib>

namespace pictra {
namespace {

constexpr int kParts = 5;
constexpr int kQuietPartsBeforeFalling = 8;

int levelOf(int peak)
{
    for (int n = LevelMeter::kMaxLevel; n >= 1; --n)
        if (peak >= (0x7F00 >> (LevelMeter::kMaxLevel - n)))
            return n;
    return 0;
}

} // namespace

bool LevelMeter::run(const std::uint8_t* samples, std::size_t bytes)
{
    const int before = m_level;
    const std::size_t count = bytes / 2;
    int peak = 0; // restarts with every buffer
    std::size_t at = 0;
    for (int part = 1; part <= kParts; ++part) {
        const std::size_t end = count * static_cast<std::size_t>(part) / kParts;
        for (; at < end; ++at) {
            const auto sample =
                static_cast<std::int16_t>(samples[2 * at] | (samples[2 * at + 1] << 8));
            peak = std::max(peak, std::abs(static_cast<int>(sample)));
        }
        const int previous = m_level;
        if (peak > m_lastPeak) {
            m_level = std::max(m_level, levelOf(peak));
        } else if (++m_quiet > kQuietPartsBeforeFalling) {
            m_level = std::max(m_level - 1, 0);
        }
        if (m_level != previous)
            m_quiet = 0;
        m_lastPeak = peak;
    }
    return m_level != before;
}

} // namespace pictra
