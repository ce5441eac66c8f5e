#pragma once
// G.711 companding between 16-bit linear PCM and 8-bit mu-law / A-law codes. A-law codes are
// the transmitted form, with the even bits inverted.

#include <cstdint>

namespace orvel::codec {

std::int16_t ulawToLinear(std::uint8_t code);
std::int16_t alawToLinear(std::uint8_t code);
std::uint8_t linearToUlaw(int sample);
// Mu-law of a value given as sign and magnitude (0..32767 and more, clipped), for G.726's
// synchronous coding adjustment, which compresses its signal this way rather than as a
// two's complement sample.
std::uint8_t ulawFromSignAndMagnitude(bool negative, int magnitude);
std::uint8_t linearToAlaw(int sample);

} // namespace orvel::codec
