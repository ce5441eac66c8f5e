// Resource libraries beside a deliverable: the table is found by its symbol, entries by type
// and id, and what stands in a library's place that is no file never blocks the load.

#include "platform/base/ResourceLibrary.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

TEST(ResourceLibrary, EntriesComeByTypeAndIdUntilUnloaded)
{
    ResourceLibrary library;
    EXPECT_FALSE(library.load(TEST_RES_LIBRARY, "NoSuchTable"));
    EXPECT_FALSE(library.isLoaded());
    ASSERT_TRUE(library.load(TEST_RES_LIBRARY, "TestResources"));
    EXPECT_EQ(library.find("STRING", 7), "Hallo");
    EXPECT_EQ(library.find("BITMAP", 7), "\x89PNG");
    EXPECT_FALSE(library.find("STRING", 8));
    EXPECT_FALSE(library.find("ICON", 7));
    library.unload();
    EXPECT_FALSE(library.isLoaded());
    EXPECT_FALSE(library.find("STRING", 7));
}

TEST(ResourceLibrary, APipeOrAFolderInTheLibrarysPlaceIsNoLibrary)
{
    char pattern[] = "/tmp/orvel-res-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string folder = pattern;
    const std::string pipe = folder + "/TestRes.so";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    ResourceLibrary library;
    EXPECT_FALSE(library.load(pipe, "TestResources"));
    EXPECT_FALSE(library.load(folder, "TestResources"));
    EXPECT_FALSE(library.load(folder + "/missing.so", "TestResources"));
    EXPECT_FALSE(library.isLoaded());
    std::filesystem::remove_all(folder);
}

} // namespace
