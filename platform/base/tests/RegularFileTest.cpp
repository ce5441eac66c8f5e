// Regular-file opens against what a hostile folder can hold in a file's place: a named pipe
// with or without a peer, a folder, a device. None may block, none may pass as a file.

#include "platform/base/RegularFile.h"

#include "platform/base/FileDescriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using orvel::RegularFileAccess;

struct RegularFile : ::testing::Test {
    void SetUp() override
    {
        char pattern[] = "/tmp/orvel-regular-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder = pattern;
        pipe = folder + "/pipe.jpg";
        ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
        file = folder + "/file.jpg";
        std::ofstream(file) << "twelve bytes";
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string folder, pipe, file;
};

TEST_F(RegularFile, PipesFoldersAndDevicesAreRefusedAtOnceWithEveryAccess)
{
    for (RegularFileAccess access :
         {RegularFileAccess::Read, RegularFileAccess::ReadWrite, RegularFileAccess::ReadWriteCreate,
          RegularFileAccess::Write}) {
        for (const std::string& path : {pipe, folder, std::string("/dev/null")}) {
            int error = 0;
            EXPECT_EQ(orvel::openRegularFile(path, access, &error), -1) << path;
            EXPECT_EQ(error, EINVAL) << path;
            EXPECT_EQ(orvel::regularFileError(path, error), path + " is not a regular file");
        }
    }
    // A pipe with a reader waiting on it: a plain open for writing would succeed and then
    // block on the first full buffer; this one still refuses.
    orvel::FileDescriptor reader(::open(pipe.c_str(), O_RDONLY | O_NONBLOCK));
    ASSERT_TRUE(reader.isOpen());
    int error = 0;
    EXPECT_EQ(orvel::openRegularFile(pipe, RegularFileAccess::Write, &error), -1);
    EXPECT_EQ(error, EINVAL);
}

TEST_F(RegularFile, ARegularFileOpensBlockingAndWriteEmptiesOrCreatesIt)
{
    int error = 0;
    orvel::FileDescriptor read(orvel::openRegularFile(file, RegularFileAccess::Read, &error));
    ASSERT_TRUE(read.isOpen()) << error;
    EXPECT_EQ(::fcntl(read.get(), F_GETFL) & O_NONBLOCK, 0);
    EXPECT_NE(::fcntl(read.get(), F_GETFD) & FD_CLOEXEC, 0);

    orvel::FileDescriptor write(orvel::openRegularFile(file, RegularFileAccess::Write, &error));
    ASSERT_TRUE(write.isOpen()) << error;
    EXPECT_EQ(std::filesystem::file_size(file), 0u);
    const std::string created = folder + "/new.jpg";
    orvel::FileDescriptor fresh(orvel::openRegularFile(created, RegularFileAccess::Write, &error));
    EXPECT_TRUE(fresh.isOpen());
    EXPECT_TRUE(std::filesystem::is_regular_file(created));

    const std::string missing = folder + "/missing.jpg";
    EXPECT_EQ(orvel::openRegularFile(missing, RegularFileAccess::Read, &error), -1);
    EXPECT_EQ(error, ENOENT);
    EXPECT_EQ(orvel::regularFileError(missing, error),
              "cannot open " + missing + ": No such file or directory");
}

TEST_F(RegularFile, ReadingWholeFilesIsBoundedAndSaysWhatFailed)
{
    std::string contents, error;
    ASSERT_TRUE(readRegularFile(file, 12, contents, &error)) << error;
    EXPECT_EQ(contents, "twelve bytes");
    EXPECT_FALSE(readRegularFile(file, 11, contents, &error));
    EXPECT_EQ(error, file + " is larger than 11 bytes");
    EXPECT_FALSE(readRegularFile(pipe, 1000, contents, &error));
    EXPECT_EQ(error, pipe + " is not a regular file");
    EXPECT_FALSE(readRegularFile(folder, 1000, contents, &error));
    EXPECT_EQ(error, folder + " is not a regular file");
    EXPECT_EQ(contents, "twelve bytes"); // a failed read leaves what was there
}

} // namespace
