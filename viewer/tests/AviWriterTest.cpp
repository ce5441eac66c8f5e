// Movies written from real frame files, read back by ffprobe and decoded by ffmpeg: the
// stream description, the full-frame layout, the encoders and the no-re-encoding path.

#include "recorder/sequence/avi/JpegHuffman.h"
#include "viewer/tests/AviWritingFixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

using namespace vistel;
using namespace vistel::test;

TEST(AviStream, RateNameAndFrameFollowTheSequence)
{
    EXPECT_EQ(describeAviStream(40, 10).dwRate, 25u);
    EXPECT_EQ(describeAviStream(300, 10).dwRate, 3u); // the fraction is dropped
    EXPECT_EQ(describeAviStream(1000, 10).dwRate, 1u);
    const AviStreamInfo info = describeAviStream(40, 7);
    EXPECT_EQ(info.fccType, "vids");
    EXPECT_EQ(info.dwScale, 1u);
    EXPECT_EQ(info.dwLength, 7u);
    EXPECT_EQ(info.dwQuality, -1);
    EXPECT_EQ(info.szName, "SQJ");
    EXPECT_EQ(proposedAviName("/rec/Door_20010503_140509_23.jpg"), "/rec/Door_20010503_140509_23");
    EXPECT_EQ(proposedAviName("/rec.d/frame"), "/rec.d/frame");
}

TEST(AviStream, TheChooserOffersFullFramesTheCopyPathAndTheEncodersFoundHere)
{
    auto list = availableCompressors();
    ASSERT_GE(list.size(), 2u);
    EXPECT_EQ(list[0].name, "Full Frames (Uncompressed)");
    EXPECT_EQ(list[0].fourcc, "DIB ");
    EXPECT_EQ(list[1].name, "Motion JPEG (no re-encoding)");
    ASSERT_TRUE(findCompressor(list, "copy"));
    EXPECT_EQ(findCompressor(list, "copy")->kind, CompressorKind::JpegCopy);
    ASSERT_TRUE(findCompressor(list, "MJPG"));
    EXPECT_EQ(findCompressor(list, "MJPG")->kind, CompressorKind::Encoder);
    EXPECT_FALSE(findCompressor(list, "NONE"));
}

TEST_F(AviWriting, FullFramesAreBottomUpBitmapsWithAPositiveHeightDecodedExactly)
{
    auto paths = frames(4, 64, 48);
    const std::string avi = root.path() + "/full.avi";
    for (Feed feed : kFeeds) {
        SCOPED_TRACE(feedName(feed));
        ASSERT_EQ(write(avi, "DIB ", paths, 40, feed), S_OK);
        EXPECT_EQ(probe(avi), "codec_tag_string=[0][0][0][0]\nwidth=64\nheight=48\n"
                              "r_frame_rate=25/1\nnb_read_frames=4\n"); // BI_RGB frames
        EXPECT_EQ(largestDifference(avi, paths), 0);
    }

    // The headers as stored: handler "DIB ", rate 25 over scale 1, four frames, 24-bit BI_RGB
    // with a positive height, and the stream named "SQJ".
    std::vector<std::uint8_t> file = readBytes(avi);
    std::string text(file.begin(), file.end());
    std::size_t strh = text.find("strh");
    ASSERT_NE(strh, std::string::npos);
    EXPECT_EQ(text.substr(strh + 8, 8), std::string("vidsDIB "));
    auto le32 = [&](std::size_t at) {
        return std::uint32_t(file[at]) | std::uint32_t(file[at + 1]) << 8 |
               std::uint32_t(file[at + 2]) << 16 | std::uint32_t(file[at + 3]) << 24;
    };
    EXPECT_EQ(le32(strh + 8 + 20), 1u);  // dwScale
    EXPECT_EQ(le32(strh + 8 + 24), 25u); // dwRate
    EXPECT_EQ(le32(strh + 8 + 32), 4u);  // dwLength
    std::size_t strf = text.find("strf");
    ASSERT_NE(strf, std::string::npos);
    EXPECT_EQ(static_cast<std::int32_t>(le32(strf + 8 + 4)), 64);
    EXPECT_EQ(static_cast<std::int32_t>(le32(strf + 8 + 8)), 48);
    EXPECT_EQ(file[strf + 8 + 14], 24);
    EXPECT_EQ(le32(strf + 8 + 16), 0u);
    EXPECT_NE(text.find("strn"), std::string::npos);
    EXPECT_NE(text.find("SQJ"), std::string::npos);
}

TEST_F(AviWriting, LosslessAndLossyEncodersGiveTheRightFramesSizeAndRate)
{
    auto paths = frames(5, 64, 48);
    // Frame files go to the encoder as their own YUV planes, without the round trip through
    // BGR, so they come out closer to the source than bitmaps do.
    struct Case {
        const char* fourcc;
        int fromBitmaps;
        int fromFiles;
    };
    for (Feed feed : kFeeds)
        for (Case c : {Case{"FFV1", 0, 0}, Case{"MJPG", 24, 6}, Case{"FMP4", 24, 6}}) {
            SCOPED_TRACE(std::string(c.fourcc) + " from " + feedName(feed));
            const std::string avi = root.path() + "/" + c.fourcc + ".avi";
            ASSERT_EQ(write(avi, c.fourcc, paths, 300, feed), S_OK);
            EXPECT_EQ(probe(avi),
                      "codec_tag_string=" + std::string(c.fourcc) +
                          "\nwidth=64\nheight=48\nr_frame_rate=3/1\nnb_read_frames=5\n");
            EXPECT_LE(largestDifference(avi, paths),
                      feed == Feed::Files ? c.fromFiles : c.fromBitmaps);
        }
}

TEST_F(AviWriting, TheCopyPathWritesEachJpegUnchangedAndSuppliesMissingHuffmanTables)
{
    auto paths = frames(3, 64, 48);
    // A camera frame without tables: the same JPEG with its DHT segments cut out.
    std::vector<std::uint8_t> bare = readBytes(paths[1]);
    ASSERT_TRUE(hasHuffmanTables(bare));
    for (std::size_t i = 2; i + 4 < bare.size() && bare[i + 1] != 0xDA;) {
        const std::size_t length = (bare[i + 2] << 8) | bare[i + 3];
        if (bare[i + 1] == 0xC4)
            bare.erase(bare.begin() + static_cast<long>(i),
                       bare.begin() + static_cast<long>(i + 2 + length));
        else
            i += 2 + length;
    }
    ASSERT_FALSE(hasHuffmanTables(bare));
    const std::string barePath = folder + "/bare.jpg";
    std::ofstream(barePath, std::ios::binary)
        .write(reinterpret_cast<const char*>(bare.data()),
               static_cast<std::streamsize>(bare.size()));
    paths.push_back(barePath);

    const std::string avi = root.path() + "/copy.avi";
    ASSERT_EQ(write(avi, "copy", paths, 1000), S_OK);
    EXPECT_EQ(probe(avi),
              "codec_tag_string=MJPG\nwidth=64\nheight=48\nr_frame_rate=1/1\nnb_read_frames=4\n");
    runCommand("ffmpeg -v error -y -i '" + avi + "' -c:v copy -f image2 '" + root.path() +
               "/out%d.jpg'");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(readBytes(root.path() + "/out" + std::to_string(i + 1) + ".jpg"),
                  readBytes(paths[static_cast<std::size_t>(i)]))
            << i;
    // The mended frame decodes to what its original decodes to.
    std::vector<std::uint8_t> mended = readBytes(root.path() + "/out4.jpg");
    EXPECT_TRUE(hasHuffmanTables(mended));
    EXPECT_EQ(mended.size(), readBytes(paths[1]).size());
    EXPECT_EQ(mended,
              readBytes(paths[1])); // the tables the encoder left out were the standard ones
}

TEST_F(AviWriting, FramesOfAnotherSizeAreScaledToTheFirstFramesSize)
{
    auto paths = frames(2, 64, 48);
    ASSERT_TRUE(writeSolidJpeg(folder + "/small.jpg", 32, 24, frameColour(2)));
    paths.push_back(folder + "/small.jpg");
    for (Feed feed : kFeeds)
        for (const char* fourcc : {"DIB ", "FFV1", "MJPG"}) {
            SCOPED_TRACE(std::string(fourcc) + " from " + feedName(feed));
            const std::string avi = root.path() + "/mixed.avi";
            ASSERT_EQ(write(avi, fourcc, paths, 100, feed), S_OK);
            EXPECT_NE(probe(avi).find("width=64\nheight=48\nr_frame_rate=10/1\nnb_read_frames=3"),
                      std::string::npos);
            // The small frame is stretched, its colour kept.
            std::vector<std::uint8_t> got = ffmpegFrames(avi);
            ASSERT_EQ(got.size(), 3u * 64 * 48 * 3);
            const std::uint8_t* centre = &got[2 * 64 * 48 * 3 + (24 * 64 + 32) * 3];
            const Rgb want = frameColour(2);
            EXPECT_NEAR(centre[0], want.b, 12);
            EXPECT_NEAR(centre[1], want.g, 12);
            EXPECT_NEAR(centre[2], want.r, 12);
        }
    // The copy path cannot scale without re-encoding: it refuses the odd frame.
    auto list = availableCompressors();
    AviStreamInfo info = describeAviStream(100, 3);
    info.rcFrame = {0, 0, 64, 48};
    std::unique_ptr<AviWriter> writer;
    ASSERT_EQ(AviWriter::create(root.path() + "/c.avi", info, *findCompressor(list, "copy"), {},
                                &writer, nullptr),
              S_OK);
    EXPECT_EQ(writer->writeJpeg(readBytes(paths[0])), S_OK);
    EXPECT_EQ(writer->writeJpeg(readBytes(paths[2])), E_INVALIDARG);
    EXPECT_EQ(writer->writeJpeg(std::vector<std::uint8_t>{'n', 'o'}), E_INVALIDARG);
    EXPECT_EQ(writer->finish(), S_OK);
    EXPECT_EQ(writer->framesWritten(), 1u);
}

// Odd sizes make the chroma planes and the bitmap rows awkward: half-pixel chroma edges and row
// padding. The frame files decoded straight into the encoder must give what their bitmaps give.
TEST_F(AviWriting, FrameFilesOfOddSizeGoStraightToTheEncoderAndMatchTheirBitmaps)
{
    std::vector<std::string> detailed;
    for (int i = 0; i < 3; ++i) {
        detailed.push_back(folder + "/q" + std::to_string(i) + ".jpg");
        ASSERT_TRUE(writeQuadrantJpeg(detailed.back(), 63, 47));
    }
    for (const char* fourcc : {"DIB ", "FFV1"}) {
        SCOPED_TRACE(fourcc);
        const std::string avi = root.path() + "/odd.avi";
        ASSERT_EQ(write(avi, fourcc, detailed, 40, Feed::Files), S_OK);
        EXPECT_NE(probe(avi).find("width=63\nheight=47\nr_frame_rate=25/1\nnb_read_frames=3"),
                  std::string::npos);
        EXPECT_EQ(largestDifference(avi, detailed), 0);
    }
    auto solid = frames(3, 63, 47);
    for (const char* fourcc : {"MJPG", "FMP4"}) {
        SCOPED_TRACE(fourcc);
        const std::string avi = root.path() + "/odd.avi";
        ASSERT_EQ(write(avi, fourcc, solid, 40, Feed::Files), S_OK);
        EXPECT_LE(largestDifference(avi, solid), 6);
    }
}

TEST_F(AviWriting, AFrameFileThatCannotBeReadOrDecodedFailsAndKeepsTheFramesWritten)
{
    auto paths = frames(2, 64, 48);
    const std::string broken = folder + "/broken.jpg";
    std::vector<std::uint8_t> cut = readBytes(paths[0]);
    cut.resize(20); // the header and nothing of the picture
    std::ofstream(broken, std::ios::binary)
        .write(reinterpret_cast<const char*>(cut.data()), static_cast<std::streamsize>(cut.size()));
    auto list = availableCompressors();
    for (const char* fourcc : {"DIB ", "MJPG", "copy"}) {
        SCOPED_TRACE(fourcc);
        AviStreamInfo info = describeAviStream(40, 4);
        info.rcFrame = {0, 0, 64, 48};
        const std::string avi = root.path() + "/broken.avi";
        std::unique_ptr<AviWriter> writer;
        ASSERT_EQ(AviWriter::create(avi, info, *findCompressor(list, fourcc), {}, &writer, nullptr),
                  S_OK);
        EXPECT_EQ(writer->writeJpegFile(paths[0]), S_OK);
        EXPECT_TRUE(FAILED(writer->writeJpegFile(folder + "/absent.jpg")));
        EXPECT_TRUE(writer->frameUnreadable());
        EXPECT_NE(writer->lastError().find("absent.jpg"), std::string::npos) << writer->lastError();
        EXPECT_TRUE(FAILED(writer->writeJpegFile(broken)));
        EXPECT_EQ(writer->writeJpegFile(paths[1]), S_OK);
        EXPECT_FALSE(writer->frameUnreadable());
        EXPECT_EQ(writer->finish(), S_OK);
        EXPECT_EQ(writer->framesWritten(), 2u);
        EXPECT_NE(probe(avi).find("nb_read_frames=2"), std::string::npos);
    }
}

} // namespace
