#pragma once
// Protocol words, names and keys compare without regard to letter case. Only ASCII letters
// fold: the bytes of multi-byte UTF-8 characters, and UTF-16 units beyond ASCII, compare as
// they are, so the result never depends on a locale.

#include <string_view>

namespace orvel {

constexpr char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

constexpr char16_t lowerAscii(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

template <typename Char>
constexpr bool equalsIgnoringCase(std::basic_string_view<Char> a, std::basic_string_view<Char> b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

constexpr bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return equalsIgnoringCase<char>(a, b);
}

constexpr bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    return equalsIgnoringCase<char16_t>(a, b);
}

constexpr bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() &&
           equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

} // namespace orvel
