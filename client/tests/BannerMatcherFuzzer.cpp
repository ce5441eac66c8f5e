// Any pattern list and any banner, split at the first zero byte: the matcher must stay within
// its inputs, and a match must be made of the banner's own characters.
#include "client/BannerMatcher.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::string_view patternText = input.substr(0, split);
    const std::string_view banner =
        split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

    const auto patterns = lumin::parsePatternList(patternText);
    const auto match = lumin::matchBanner(patterns, banner);
    if (match) {
        if (match->name.empty() || match->version.empty())
            std::abort();
        if (match->name.size() > banner.size() || match->version.size() > banner.size() + 1)
            std::abort();
        for (char c : match->name) {
            if (c == ' ' || (c >= 'a' && c <= 'z'))
                std::abort();
        }
    }
    return 0;
}
