// The version record read back from the library's own file, and from what may stand in a
// library's place: a named pipe, a folder, a cut-off copy. None may block or pass as a record.

#include "client/VersionRecord.h"

#include "client/tests/LuminFixture.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

struct VersionRecordFile : ::testing::Test {
    void SetUp() override
    {
        char pattern[] = "/tmp/lumin-version-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }
    fs::path folder;
};

TEST_F(VersionRecordFile, TheLibraryReportsItsOwnFileVersion)
{
    UI4 major = 0, minor = 0, build = 0;
    ASSERT_EQ(lumin::readFileVersion(lumin::test::luminLibraryPath(), &major, &minor, &build),
              S_OK);
    EXPECT_EQ(major, 1u);
    EXPECT_EQ(minor, 2u);
    EXPECT_EQ(build, 4u);
}

TEST_F(VersionRecordFile, APipeAFolderOrACutCopyHasNoRecord)
{
    const fs::path pipe = folder / "Lumin.so";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    UI4 major = 0, minor = 0, build = 0;
    EXPECT_EQ(lumin::readFileVersion(pipe.string(), &major, &minor, &build), E_FAIL);
    EXPECT_EQ(lumin::readFileVersion(folder.string(), &major, &minor, &build), E_FAIL);

    // The section table lies past the end of a copy cut in half.
    const fs::path cut = folder / "Cut.so";
    fs::copy_file(lumin::test::luminLibraryPath(), cut);
    fs::resize_file(cut, fs::file_size(cut) / 2);
    EXPECT_FALSE(lumin::readVersionSection(cut.string()));
    EXPECT_EQ(major, 0u);
}

} // namespace
