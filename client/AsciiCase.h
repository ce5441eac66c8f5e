#pragma once
// Comparing protocol words (model names, resolution names) without regard to letter case.
// Only ASCII letters fold: bytes of multi-byte UTF-8 characters compare as they are.

#include <algorithm>
#include <string_view>

namespace lumin {

inline bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    auto fold = [](unsigned char c) {
        return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
    };
    return std::ranges::equal(a, b,
                              [&](unsigned char x, unsigned char y) { return fold(x) == fold(y); });
}

} // namespace lumin
