#include "client/BannerMatcher.h"
#include "client/ModelTable.h"

#include <gtest/gtest.h>

namespace lumin {
namespace {

std::vector<std::string> shippedPatterns()
{
    std::vector<std::string> patterns;
    for (const char* pattern : bannerPatterns())
        patterns.emplace_back(pattern);
    return patterns;
}

// Every model's own greeting names that model, whichever pattern catches it.
class ShippedBanner : public testing::TestWithParam<ModelRow> {};

TEST_P(ShippedBanner, NamesItsModel)
{
    const ModelRow& row = GetParam();
    const auto match = matchBanner(shippedPatterns(), row.banner);
    ASSERT_TRUE(match) << row.banner;
    EXPECT_EQ(match->name, row.name);
    EXPECT_NE(std::string(row.banner).find(match->version), std::string::npos) << match->version;
}

INSTANTIATE_TEST_SUITE_P(AllModels, ShippedBanner,
                         testing::ValuesIn(modelRows().begin(), modelRows().end()),
                         [](const auto& info) { return std::string(info.param.name); });

struct Case {
    const char* pattern;
    const char* banner;
    const char* name; // null: no match
    const char* version;
};

class PatternRule : public testing::TestWithParam<Case> {};

TEST_P(PatternRule, MatchesAsSpecified)
{
    const Case& c = GetParam();
    const auto match = matchBannerPattern(c.pattern, c.banner);
    if (!c.name) {
        EXPECT_FALSE(match) << match->name << " " << match->version;
        return;
    }
    ASSERT_TRUE(match);
    EXPECT_EQ(match->name, c.name);
    EXPECT_EQ(match->version, c.version);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, PatternRule,
    testing::Values(
        Case{"%* ORVEL %n version %v", "220 ORVEL M10 VERSION 2.12 READY", "M10", "2.12"},
        Case{"%* ORVEL %nV%v", "220 ORVEL M10V2.12 ready", "M10", "2.12"},
        // Case folds on both sides; captures come out upper case.
        Case{"%* orvel %n Version %v", "220 Orvel m10b version 3.01b", "M10B", "3.01"},
        // Only the first two pieces, the second cut at its first non-digit; no dot: whole.
        Case{"%* ORVEL %n version %v", "220 ORVEL X version 4.10.7", "X", "4.10"},
        Case{"%* ORVEL %n version %v", "220 ORVEL X version 7b", "X", "7B"},
        Case{"%* ORVEL %n version %v", "220 ORVEL X version 2.\r\n", "X", "2."},
        // Banner words may be longer than the literal; extra words are ignored.
        Case{"%* ORVEL %n Net %v", "220 ORVELX OC1 Network 1.0 extra words", "OC1", "1.0"},
        // Fewer banner words than pattern words, a differing literal, a missing delimiter.
        Case{"%* ORVEL %n version %v", "220 ORVEL M10 VERSION", nullptr, nullptr},
        Case{"%* ORVEL %n version %v", "220 OTHER M10 VERSION 2.12", nullptr, nullptr},
        Case{"%* ORVEL %nV%v", "220 ORVEL M10-2.12", nullptr, nullptr},
        Case{"%* %n-%* Network Camera %v", "220 OC46-E Network Camera 4.10 ready.", "OC46", "4.10"},
        // "%" with another character is skipped; "%*" takes the rest of the word.
        Case{"%* %xORVEL %n %q%v", "220 ORVEL A 1.5", "A", "1.5"},
        Case{"%* O%*Z %n %v", "220 OANYTHING A 1.5", "A", "1.5"},
        // An empty capture is no match; runs of blanks separate like one.
        Case{"%* ORVEL %nV%v", "220 ORVEL V2.1", nullptr, nullptr},
        Case{"%* ORVEL %n %v", "220   ORVEL  B9   2.0", "B9", "2.0"},
        Case{"%* ORVEL %n", "220 ORVEL B9", nullptr, nullptr}));

TEST(BannerMatcher, FirstMatchingPatternDecides)
{
    const std::vector<std::string> patterns = {"%* ORVEL %n Camera %v", "%* ORVEL %n %v"};
    auto match = matchBanner(patterns, "220 ORVEL OC1 Camera 2.0");
    ASSERT_TRUE(match);
    EXPECT_EQ(match->version, "2.0");
    match = matchBanner(patterns, "220 ORVEL OC1 3.0");
    ASSERT_TRUE(match);
    EXPECT_EQ(match->version, "3.0");
    EXPECT_FALSE(matchBanner({}, "220 ORVEL OC1 3.0"));
    EXPECT_FALSE(matchBanner(patterns, ""));
}

TEST(BannerMatcher, PatternListSkipsEmptyLines)
{
    EXPECT_EQ(parsePatternList("a %n %v\r\n\r\nb %n %v\r\n"),
              (std::vector<std::string>{"a %n %v", "b %n %v"}));
    EXPECT_EQ(parsePatternList("one\ntwo"), (std::vector<std::string>{"one", "two"}));
    EXPECT_TRUE(parsePatternList("\r\n\r\n").empty());
}

} // namespace
} // namespace lumin
