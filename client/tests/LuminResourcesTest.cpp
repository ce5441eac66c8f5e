// The resource instance: built-in strings and patterns, and a resource library that overrides
// some of them.

#include "client/ModelTable.h"
#include "client/Resources.h"
#include "client/tests/LuminFixture.h"

namespace lumin::test {
namespace {

std::string testResourceLibrary()
{
    return binaryFolder() + "/luminres-test/LuminRes.so";
}

TEST(LuminResources, BuiltInCopiesServeWithoutAResourceLibrary)
{
    ResourceInstance resources;
    EXPECT_FALSE(resources.isExternal());
    EXPECT_EQ(resources.string(kStringOther), "Other");
    EXPECT_EQ(resources.string(kStringConnecting), "Connecting");
    EXPECT_EQ(resources.string(kStringConnected), "Connected");
    EXPECT_EQ(resources.string(kStringClosing), "Closing");
    EXPECT_EQ(resources.string(kStringClosed), "Closed");
    EXPECT_EQ(resources.string(4242), std::nullopt);

    auto patterns = resources.data(kResourceTypePatterns, kResourcePatterns);
    ASSERT_TRUE(patterns);
    std::string expected;
    for (const char* pattern : bannerPatterns())
        expected.append(pattern).append("\r\n");
    EXPECT_EQ(*patterns, expected);
    EXPECT_EQ(std::count(patterns->begin(), patterns->end(), '\n'), 10);
}

TEST(LuminResources, ResourceLibraryOverridesWhatItHas)
{
    ResourceInstance resources;
    ASSERT_TRUE(resources.loadLibrary(testResourceLibrary()));
    EXPECT_TRUE(resources.isExternal());
    EXPECT_EQ(resources.string(kStringOther), "Andere");
    EXPECT_EQ(resources.string(kStringConnecting), "Verbinde");
    EXPECT_EQ(resources.string(kStringClosed), "Closed");
    EXPECT_EQ(resources.data(kResourceTypePatterns, kResourcePatterns),
              "%* TESTCAM %n release %v\r\n\r\n%* %n-%* Network Camera %v\r\n");
}

TEST(LuminResources, AMissingResourceLibraryLeavesTheBuiltIns)
{
    ResourceInstance resources;
    EXPECT_FALSE(resources.loadLibrary(binaryFolder() + "/no-such-folder/LuminRes.so"));
    // A library without the resource table is not taken either.
    EXPECT_FALSE(resources.loadLibrary(binaryFolder() + "/libOrvelPlatform.so"));
    EXPECT_FALSE(resources.isExternal());
    EXPECT_EQ(resources.string(kStringOther), "Other");
}

} // namespace
} // namespace lumin::test
