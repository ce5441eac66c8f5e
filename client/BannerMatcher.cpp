#include "client/BannerMatcher.h"

namespace lumin {
namespace {

std::string upperAscii(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

// Words at blanks; runs of blanks separate like one, as the greeting's spacing is not ours.
std::vector<std::string_view> splitWords(std::string_view text)
{
    std::vector<std::string_view> words;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = text.find_first_not_of(' ', pos);
        if (start == std::string_view::npos)
            break;
        std::size_t end = text.find(' ', start);
        if (end == std::string_view::npos)
            end = text.size();
        words.push_back(text.substr(start, end - start));
        pos = end;
    }
    return words;
}

// Matches one pattern word against one banner word, both upper case; captures go to name
// and version. False when a literal character differs or the banner word runs out.
bool matchWord(std::string_view pattern, std::string_view word, std::string& name,
               std::string& version)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < pattern.size()) {
        if (pattern[i] != '%') {
            if (j >= word.size() || word[j] != pattern[i])
                return false;
            ++i;
            ++j;
            continue;
        }
        const char directive = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        if (directive == '*')
            return true;
        if (directive != 'N' && directive != 'V') {
            i += i + 1 < pattern.size() ? 2 : 1;
            continue;
        }
        std::string& capture = directive == 'N' ? name : version;
        i += 2;
        if (i >= pattern.size()) {
            capture.assign(word.substr(j));
            return true;
        }
        const std::size_t stop = word.find(pattern[i], j);
        if (stop == std::string_view::npos) {
            capture.assign(word.substr(j));
            return false; // the delimiter is a literal the banner word lacks
        }
        capture.assign(word.substr(j, stop - j));
        j = stop + 1;
        ++i;
    }
    return true;
}

std::string cutVersion(const std::string& captured)
{
    const std::size_t dot = captured.find('.');
    if (dot == std::string::npos)
        return captured;
    std::string version = captured.substr(0, dot + 1);
    for (std::size_t k = dot + 1; k < captured.size() && captured[k] >= '0' && captured[k] <= '9';
         ++k)
        version.push_back(captured[k]);
    return version;
}

// Matches one pattern against a banner already upper-cased and split.
std::optional<BannerMatch> matchWords(std::string_view pattern,
                                      const std::vector<std::string_view>& bannerWords)
{
    const std::string upperPattern = upperAscii(pattern);
    const auto patternWords = splitWords(upperPattern);
    if (bannerWords.size() < patternWords.size())
        return std::nullopt;
    std::string name;
    std::string version;
    for (std::size_t i = 0; i < patternWords.size(); ++i) {
        if (!matchWord(patternWords[i], bannerWords[i], name, version))
            return std::nullopt;
    }
    version = cutVersion(version);
    if (name.empty() || version.empty())
        return std::nullopt;
    return BannerMatch{std::move(name), std::move(version)};
}

} // namespace

std::optional<BannerMatch> matchBannerPattern(std::string_view pattern, std::string_view banner)
{
    const std::string upperBanner = upperAscii(banner);
    return matchWords(pattern, splitWords(upperBanner));
}

std::optional<BannerMatch> matchBanner(std::span<const std::string> patterns,
                                       std::string_view banner)
{
    // The banner is folded and split once for all patterns.
    const std::string upperBanner = upperAscii(banner);
    const auto bannerWords = splitWords(upperBanner);
    for (const std::string& pattern : patterns) {
        if (auto match = matchWords(pattern, bannerWords))
            return match;
    }
    return std::nullopt;
}

std::vector<std::string> parsePatternList(std::string_view text)
{
    std::vector<std::string> patterns;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.empty())
            patterns.emplace_back(line);
        pos = end + 1;
    }
    return patterns;
}

} // namespace lumin
