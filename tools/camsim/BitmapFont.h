#pragma once
// A 5×7 pixel font for the text the test picture shows: digits, upper-case letters (lower case
// draws as upper case) and ": . - /". Other characters draw as blanks.

#include <array>
#include <cstdint>

namespace camsim {

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;

// Seven rows, top first; bit 4 is the leftmost pixel.
using Glyph = std::array<std::uint8_t, kGlyphHeight>;

const Glyph& glyphFor(char c);

} // namespace camsim
