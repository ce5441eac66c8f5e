// camctl avi as a script runs it: real frame files, a sequence written by the sequence writer,
// the movie read back by ffprobe.
#include "recorder/sequence/SequenceWriter.h"
#include "testsupport/TempStateRoot.h"
#include "tools/camctl/tests/CamctlProgram.h"
#include "tools/camsim/JpegEncoder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace camctltest;

namespace {

std::string probeFrames(const std::string& avi)
{
    std::string out;
    FILE* p = ::popen(("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                       "stream=codec_tag_string,nb_read_frames -of default=nw=1 '" +
                       avi + "'")
                          .c_str(),
                      "r");
    char buf[512];
    std::size_t n;
    while (p && (n = std::fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    if (p)
        ::pclose(p);
    return out;
}

struct CamctlAvi : ::testing::Test {
    void SetUp() override
    {
        if (std::system("ffprobe -version > /dev/null 2>&1") != 0)
            GTEST_SKIP() << "ffprobe not installed";
    }
    // A sequence of count 64 x 48 frames at interval ms.
    std::string sequence(int count, UI4 interval)
    {
        auto encoder = camsim::JpegEncoder::create();
        std::optional<SequenceWriter> writer;
        const std::string path = root.path() + "/door.sqj";
        EXPECT_EQ(SequenceWriter::create(path, &writer), S_OK);
        for (int i = 0; i < count; ++i) {
            std::vector<std::uint8_t> rgb(64 * 48 * 3, static_cast<std::uint8_t>(40 * i));
            std::string jpeg;
            EXPECT_TRUE(encoder->encode(rgb, 64, 48, 90, jpeg));
            const std::string name = "door" + std::to_string(i) + ".jpg";
            std::ofstream(root.path() + "/" + name, std::ios::binary) << jpeg;
            EXPECT_EQ(writer->appendEntry(name), S_OK);
            writer->countFrame();
        }
        EXPECT_EQ(writer->finish(interval), S_OK);
        return path;
    }
    TempStateRoot root;
};

TEST_F(CamctlAvi, ListsTheCompressorsAvailableHere)
{
    auto r = camctl({"avi", "--list-codecs"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("copy  Motion JPEG (no re-encoding)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("DIB   Full Frames (Uncompressed)\n"), std::string::npos);
    EXPECT_NE(r.out.find("MJPG  Motion JPEG\n"), std::string::npos);
}

TEST_F(CamctlAvi, WritesEveryFrameAndEndsWithTheStableLine)
{
    const std::string seq = sequence(5, 40);
    const std::string copy = root.path() + "/copy.avi";
    auto r = camctl({"avi", seq, copy});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "wrote 5 frames 64x48 rate 25/1 codec MJPG to " + copy + "\n");
    EXPECT_TRUE(r.err.empty()) << r.err; // no progress bar: standard error is no terminal
    EXPECT_EQ(probeFrames(copy), "codec_tag_string=MJPG\nnb_read_frames=5\n");

    const std::string ffv1 = root.path() + "/ffv1.avi";
    r = camctl({"avi", seq, ffv1, "--codec", "FFV1"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "wrote 5 frames 64x48 rate 25/1 codec FFV1 to " + ffv1 + "\n");
    EXPECT_EQ(probeFrames(ffv1), "codec_tag_string=FFV1\nnb_read_frames=5\n");
}

TEST_F(CamctlAvi, FailuresAreOneLineAndExitNonZero)
{
    const std::string seq = sequence(4, 300);
    std::filesystem::remove(root.path() + "/door2.jpg");
    auto r = camctl({"avi", seq, root.path() + "/m.avi", "--codec", "DIB "});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "camctl avi: frame 2 (" + root.path() +
                         "/door2.jpg) cannot be loaded; 2 frames written\n");
    EXPECT_EQ(probeFrames(root.path() + "/m.avi"),
              "codec_tag_string=[0][0][0][0]\nnb_read_frames=2\n");

    r = camctl({"avi", seq, root.path() + "/n.avi", "--codec", "NONE"});
    EXPECT_EQ(r.exitCode, 2);
    r = camctl({"avi", root.path() + "/absent.sqj", root.path() + "/n.avi"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cannot be read as a sequence"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(root.path() + "/n.avi"));
}

} // namespace
