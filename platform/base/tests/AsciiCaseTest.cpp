// The suite's one case-insensitive compare: ASCII letters fold, nothing else does.

#include "platform/base/AsciiCase.h"

#include <gtest/gtest.h>

using orvel::equalsIgnoringCase;
using orvel::startsWithIgnoringCase;

TEST(AsciiCase, OnlyAsciiLettersFoldInNarrowAndWideText)
{
    EXPECT_TRUE(equalsIgnoringCase("Content-Type", "content-TYPE"));
    EXPECT_TRUE(equalsIgnoringCase("", ""));
    EXPECT_FALSE(equalsIgnoringCase("yes", "yes "));
    EXPECT_FALSE(equalsIgnoringCase("[", "{")); // 0x5B and 0x7B differ by the case bit only
    EXPECT_FALSE(equalsIgnoringCase("@", "`"));
    EXPECT_FALSE(equalsIgnoringCase("\xC3\x84", "\xC3\xA4")); // UTF-8 A and a with diaeresis
    EXPECT_TRUE(equalsIgnoringCase(u"TRUE", u"true"));
    EXPECT_FALSE(equalsIgnoringCase(u"\u00C4", u"\u00E4"));
    EXPECT_FALSE(equalsIgnoringCase(u"\u0130", u"i")); // no locale folds the dotted I
    EXPECT_TRUE(startsWithIgnoringCase("FILE:///x", "file://"));
    EXPECT_FALSE(startsWithIgnoringCase("fil", "file://"));
}
