// BSTR layout and ownership: the length prefix, the terminator, reallocation.

#include "platform/com/Bstr.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

std::uint32_t prefixOf(BSTR b)
{
    std::uint32_t len;
    std::memcpy(&len, reinterpret_cast<const char*>(b) - sizeof len, sizeof len);
    return len;
}

TEST(Bstr, IsLengthPrefixedUtf16WithATerminatingZero)
{
    BSTR b = SysAllocString(u"Gate");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(prefixOf(b), 8u); // bytes, not characters
    EXPECT_EQ(SysStringLen(b), 4u);
    EXPECT_EQ(SysStringByteLen(b), 8u);
    EXPECT_EQ(b[4], 0);
    SysFreeString(b);

    // Embedded zeros count; the length comes from the prefix.
    const OLECHAR text[] = {u'a', 0, u'b'};
    b = SysAllocStringLen(text, 3);
    EXPECT_EQ(SysStringLen(b), 3u);
    EXPECT_EQ(b[2], u'b');
    EXPECT_EQ(b[3], 0);
    SysFreeString(b);

    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    SysFreeString(nullptr);
    EXPECT_EQ(bstrToUtf8(nullptr), "");
}

TEST(Bstr, ReallocationReplacesAndFreesTheOldString)
{
    BSTR b = nullptr;
    ASSERT_TRUE(SysReAllocString(&b, u"first"));
    BSTR old = b;
    ASSERT_TRUE(SysReAllocString(&b, u"second value"));
    EXPECT_NE(b, old); // the old block was freed (ASan reports it otherwise as a leak)
    EXPECT_EQ(SysStringLen(b), 12u);
    // From its own text, as a callee copying part of its argument does.
    ASSERT_TRUE(SysReAllocString(&b, b + 7));
    EXPECT_EQ(bstrToUtf8(b), "value");
    ASSERT_TRUE(SysReAllocStringLen(&b, u"xyz", 2));
    EXPECT_EQ(bstrToUtf8(b), "xy");
    ASSERT_TRUE(SysReAllocString(&b, nullptr));
    EXPECT_EQ(b, nullptr);
    EXPECT_FALSE(SysReAllocString(nullptr, u"x"));

    Bstr owned("Entrance");
    ASSERT_TRUE(bstrAssignUtf8(owned.out(), "Eingang ü"));
    EXPECT_EQ(owned.utf8(), "Eingang ü");
    EXPECT_EQ(owned.length(), 9u);
}

} // namespace
