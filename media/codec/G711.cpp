#include "media/codec/G711.h"

namespace orvel::codec {

namespace {

constexpr int kSignBit = 0x80;
constexpr int kQuantMask = 0x0f;
constexpr int kSegShift = 4;
constexpr int kSegMask = 0x70;
constexpr int kUlawBias = 0x84;

// Upper ends of the eight segments in the 16-bit domain.
constexpr int kSegmentEnd[8] = {0xff, 0x1ff, 0x3ff, 0x7ff, 0xfff, 0x1fff, 0x3fff, 0x7fff};

int segmentOf(int magnitude)
{
    int seg = 0;
    while (seg < 8 && magnitude > kSegmentEnd[seg])
        ++seg;
    return seg;
}

} // namespace

std::int16_t ulawToLinear(std::uint8_t code)
{
    int u = ~code & 0xff;
    int t = ((u & kQuantMask) << 3) + kUlawBias;
    t <<= (u & kSegMask) >> kSegShift;
    return static_cast<std::int16_t>((u & kSignBit) ? kUlawBias - t : t - kUlawBias);
}

std::int16_t alawToLinear(std::uint8_t code)
{
    int a = code ^ 0x55;
    int t = (a & kQuantMask) << 4;
    int seg = (a & kSegMask) >> kSegShift;
    if (seg == 0)
        t += 8;
    else
        t = (t + 0x108) << (seg - 1);
    return static_cast<std::int16_t>((a & kSignBit) ? t : -t);
}

std::uint8_t ulawFromSignAndMagnitude(bool negative, int magnitude)
{
    const int mask = negative ? 0x7f : 0xff;
    const int sample = magnitude + kUlawBias;
    int seg = segmentOf(sample);
    if (seg >= 8)
        return static_cast<std::uint8_t>(0x7f ^ mask);
    int code = (seg << 4) | ((sample >> (seg + 3)) & kQuantMask);
    return static_cast<std::uint8_t>(code ^ mask);
}

std::uint8_t linearToUlaw(int sample)
{
    // A negative sample's magnitude is its one's complement (-sample - 1), as in the reference
    // coder; plain negation puts some samples one level further from zero.
    return sample < 0 ? ulawFromSignAndMagnitude(true, -sample - 1)
                      : ulawFromSignAndMagnitude(false, sample);
}

std::uint8_t linearToAlaw(int sample)
{
    int mask;
    if (sample >= 0) {
        mask = 0xd5;
    } else {
        mask = 0x55;
        sample = -sample - 1; // one's complement, as for mu-law
    }
    int seg = segmentOf(sample);
    if (seg >= 8)
        return static_cast<std::uint8_t>(0x7f ^ mask);
    int code = seg << kSegShift;
    code |= (seg < 2 ? sample >> 4 : sample >> (seg + 3)) & kQuantMask;
    return static_cast<std::uint8_t>(code ^ mask);
}

} // namespace orvel::codec
