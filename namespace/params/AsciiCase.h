#pragma once
// Camera words (parameter names, "yes", host names) and property names compare without
// regard to letter case; only ASCII letters fold.

#include <string_view>

namespace foldra {

inline bool sameWord(std::string_view a, std::string_view b)
{
    auto fold = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
    };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i]))
            return false;
    return true;
}

} // namespace foldra
