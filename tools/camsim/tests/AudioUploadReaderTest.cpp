// The upload body reader on its own: frames cut anywhere, the closing marker, what it refuses.

#include "tools/camsim/AudioUploadReader.h"

#include <gtest/gtest.h>

using camsim::AudioUploadReader;

namespace {

std::unique_ptr<AudioUploadReader> multipartReader()
{
    std::string error;
    auto reader =
        AudioUploadReader::create("multipart/x-mixed-replace; boundary=\"myboundary\"", error);
    EXPECT_TRUE(reader) << error;
    return reader;
}

const std::string kBody = "preamble\r\n--myboundary\r\nContent-type: audio/32KADPCM\r\n\r\n"
                          "\x01\x02\r\n--myboundar\x03"
                          "\r\n--myboundary\nCONTENT-TYPE:  Audio/32kadpcm \n\n\x04\x05"
                          "\r\n--myboundary\r\n\r\nno type"
                          "\r\n--myboundary\r\nContent-type: audio/32KADPCM\r\n\r\n\x06\r\n-";

TEST(AudioUploadReader, FramesCutAnywhereReadAlike)
{
    const std::string codes = "\x01\x02\r\n--myboundar\x03\x04\x05\x06\r\n-";
    for (std::size_t piece = 1; piece <= kBody.size(); ++piece) {
        auto reader = multipartReader();
        ASSERT_TRUE(reader);
        AudioUploadReader::Output all;
        for (std::size_t at = 0; at < kBody.size(); at += piece) {
            ASSERT_TRUE(reader->feed(std::string_view(kBody).substr(at, piece)));
            auto out = reader->take();
            all.codes += out.codes;
            all.frames += out.frames;
            all.badFrames += out.badFrames;
            all.samples.insert(all.samples.end(), out.samples.begin(), out.samples.end());
        }
        // The last frame has no marker after it: what looked like one is audio at the end.
        EXPECT_EQ(all.codes.size(), codes.size() - 4) << piece;
        reader->finish();
        all.codes += reader->take().codes;
        EXPECT_EQ(all.codes, codes) << piece;
        EXPECT_EQ(all.frames, 4) << piece;
        EXPECT_EQ(all.badFrames, 1) << piece;
        EXPECT_EQ(reader->error(), "");
    }
}

TEST(AudioUploadReader, TheClosingMarkerEndsTheBody)
{
    auto reader = multipartReader();
    ASSERT_TRUE(reader);
    EXPECT_TRUE(reader->feed("--myboundary\r\nContent-type: audio/G723\r\n\r\nabc"
                             "\r\n--myboundary--\r\n\r\n--myboundary\r\n\r\nlater"));
    reader->finish();
    auto out = reader->take();
    EXPECT_EQ(out.codes, "abc");
    EXPECT_EQ(out.codecType, 3);
    EXPECT_EQ(out.samples.size(), 8u); // 24 bits of 3-bit codes
}

TEST(AudioUploadReader, RefusesWhatItCannotRead)
{
    std::string error;
    EXPECT_FALSE(AudioUploadReader::create("audio/basic", error));
    EXPECT_EQ(error, "unsupported audio type \"audio/basic\"");
    EXPECT_FALSE(AudioUploadReader::create("multipart/mixed; charset=x", error));
    EXPECT_EQ(error, "multipart upload without a usable boundary");
    EXPECT_FALSE(
        AudioUploadReader::create("multipart/mixed; boundary=" + std::string(71, 'b'), error));

    auto reader = multipartReader();
    EXPECT_TRUE(reader->feed(std::string(AudioUploadReader::kMaxPreamble, 'x')));
    EXPECT_FALSE(reader->feed("x"));
    EXPECT_EQ(reader->error(), "no boundary marker in the first 4096 bytes");

    reader = multipartReader();
    EXPECT_FALSE(reader->feed("--myboundaryX"));
    EXPECT_EQ(reader->error(), "a boundary marker not followed by a line end");

    reader = multipartReader();
    EXPECT_FALSE(reader->feed("--myboundary\r\nX-Long: " +
                              std::string(AudioUploadReader::kMaxFrameHead, 'h')));
    EXPECT_EQ(reader->error(), "frame header lines over 2048 bytes");
    EXPECT_FALSE(reader->feed("\r\n\r\nabc"));
    reader->finish();
    EXPECT_EQ(reader->take().codes, "");
}

} // namespace
