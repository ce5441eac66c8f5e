#pragma once
// UTF-8 (the narrow "ANSI code page" of this suite) to and from UTF-16 (OLECHAR) at interfaces.
// Malformed input is replaced by U+FFFD rather than rejected: a camera's text must never make a
// conversion fail.

#include <string>
#include <string_view>

std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);
// Null-terminated UTF-16; null gives an empty string.
std::string utf16ToUtf8(const char16_t* text);
