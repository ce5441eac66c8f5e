#include "platform/base/Utf.h"

#include <gtest/gtest.h>

namespace {
TEST(UtfTest, RoundTripsEveryPlane)
{
    const std::string text = "a\xc3\xa9\xe2\x82\xac\xf0\x9f\x93\xb7"; // a é € 📷
    std::u16string wide = utf8ToUtf16(text);
    EXPECT_EQ(wide, (std::u16string{u'a', 0x00E9, 0x20AC, 0xD83D, 0xDCF7}));
    EXPECT_EQ(utf16ToUtf8(wide), text);
    EXPECT_EQ(utf16ToUtf8(static_cast<const char16_t*>(nullptr)), "");
    EXPECT_EQ(utf16ToUtf8(u"Kamera"), "Kamera");
}

TEST(UtfTest, MalformedInputBecomesReplacementCharacters)
{
    // A lone continuation byte, an overlong slash, a cut-off sequence, an encoded surrogate.
    EXPECT_EQ(utf8ToUtf16("\x80x"), (std::u16string{0xFFFD, u'x'}));
    EXPECT_EQ(utf8ToUtf16("\xc0\xaf"), (std::u16string{0xFFFD, 0xFFFD}));
    EXPECT_EQ(utf8ToUtf16("ab\xe2\x82"), (std::u16string{u'a', u'b', 0xFFFD, 0xFFFD}));
    EXPECT_EQ(utf8ToUtf16("\xed\xa0\x80"), (std::u16string{0xFFFD, 0xFFFD, 0xFFFD}));
    // Unpaired surrogates in UTF-16.
    EXPECT_EQ(utf16ToUtf8(std::u16string{0xD800, u'x'}), "\xef\xbf\xbdx");
    EXPECT_EQ(utf16ToUtf8(std::u16string{0xDC00}), "\xef\xbf\xbd");
}
} // namespace
