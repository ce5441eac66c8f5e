#pragma once
// Picks a camera's model name and firmware version out of its FTP greeting with the
// identification patterns. A pattern is words separated by blanks, matched word by word
// against the banner, both upper-cased:
//   "%*"  matches the rest of the banner word
//   "%n"  captures the name up to the pattern character after it (consumed on both sides), or
//         to the end of the banner word when "%n" ends the pattern word; "%v" the version
//   "%x"  for any other x is skipped and consumes nothing
//   other characters must equal the banner's at the same place; a banner word may be longer
// Banner words after the pattern's last are ignored. The version keeps its first two pieces,
// the second cut to its leading digits ("3.01b" gives "3.01").

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumin {

struct BannerMatch {
    std::string name;    // upper case, never empty
    std::string version; // upper case, never empty
};

// The match of one pattern; nullopt unless both name and version were captured non-empty.
std::optional<BannerMatch> matchBannerPattern(std::string_view pattern, std::string_view banner);

// The first pattern that matches decides.
std::optional<BannerMatch> matchBanner(std::span<const std::string> patterns,
                                       std::string_view banner);

// The pattern list resource: one pattern a line, CR LF (or LF) separated, empty lines skipped.
std::vector<std::string> parsePatternList(std::string_view text);

} // namespace lumin
