#pragma once
// The fixture of the movie tests: real frame files, the image object's bitmaps of them, movies
// written through AviWriter, read back by ffprobe and decoded by ffmpeg.

#include "common/ICamImageObject.h"
#include "common/MedrixClasses.h"
#include "platform/com/Bstr.h"
#include "platform/com/ClassRegistration.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Runtime.h"
#include "platform/com/TaskMemory.h"
#include "recorder/sequence/avi/AviStreamInfo.h"
#include "recorder/sequence/avi/AviWriter.h"
#include "recorder/sequence/avi/VideoCompressor.h"
#include "testsupport/TempStateRoot.h"
#include "viewer/tests/ViewerTestFiles.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace vistel::test {

inline std::vector<std::uint8_t> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct Decoded {
    _CAM_BIH header{};
    std::vector<std::uint8_t> bits; // bottom-up BGR, rows padded to 4
};

// How frames reach the writer: as the image object's bitmaps, or as their files, which the
// writer decodes straight into what the compressor takes, on this thread or (queued) on its
// workers.
enum class Feed { Bitmaps, Files, Queued };
inline const Feed kFeeds[] = {Feed::Bitmaps, Feed::Files};
inline const char* feedName(Feed feed)
{
    return feed == Feed::Bitmaps ? "bitmaps" : feed == Feed::Files ? "files" : "queued files";
}

struct AviWriting : ::testing::Test {
    void SetUp() override
    {
        if (!haveFfmpeg())
            GTEST_SKIP() << "ffmpeg not installed";
        const auto bin = std::filesystem::canonical("/proc/self/exe").parent_path();
        ASSERT_EQ(registerServerLibrary((bin / "Medrix.so").string(), false), S_OK);
        ASSERT_EQ(CoCreateInstance(CLSID_CamImageObject, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_ICamImageObject, image.putVoid()),
                  S_OK);
        folder = root.path() + "/frames";
        std::filesystem::create_directories(folder);
    }
    void TearDown() override
    {
        image.reset();
        CoFreeUnusedLibraries();
    }

    // Frames of one colour each, six colours in turn.
    std::vector<std::string> frames(int count, int width, int height)
    {
        std::vector<std::string> paths;
        for (int i = 0; i < count; ++i) {
            std::string p = folder + "/g" + std::to_string(i) + ".jpg";
            EXPECT_TRUE(writeSolidJpeg(p, width, height, frameColour(i)));
            paths.push_back(p);
        }
        return paths;
    }
    // Detailed frames, each unlike every other.
    std::vector<std::string> numberedFrames(int count, int width, int height)
    {
        std::vector<std::string> paths;
        for (int i = 0; i < count; ++i) {
            paths.push_back(folder + "/n" + std::to_string(i) + ".jpg");
            EXPECT_TRUE(writeNumberedJpeg(paths.back(), width, height, i));
        }
        return paths;
    }
    Decoded decode(const std::string& path)
    {
        Decoded d;
        DWORD size = 0;
        BYTE* bits = nullptr;
        EXPECT_EQ(image->GetDIB(Bstr(path).get(), CamDibFull, &d.header, &size, &bits), S_OK);
        d.bits.assign(bits, bits + size);
        CoTaskMemFree(bits);
        return d;
    }
    // Writes the frames' decoded bitmaps or their files (the copy path: their bytes) as a
    // movie.
    HRESULT write(const std::string& avi, const std::string& fourcc,
                  const std::vector<std::string>& paths, unsigned interval,
                  Feed feed = Feed::Bitmaps)
    {
        auto list = availableCompressors();
        const VideoCompressor* c = findCompressor(list, fourcc);
        if (!c)
            return E_NOTIMPL;
        Decoded first = decode(paths.front());
        AviStreamInfo info = describeAviStream(interval, static_cast<UI4>(paths.size()));
        info.fccHandler = c->fourcc;
        info.rcFrame = {0, 0, first.header.biWidth, first.header.biHeight};
        std::unique_ptr<AviWriter> writer;
        std::string error;
        HRESULT hr = AviWriter::create(avi, info, *c, {}, &writer, &error);
        EXPECT_EQ(hr, S_OK) << error;
        if (FAILED(hr))
            return hr;
        for (const std::string& p : paths) {
            if (feed == Feed::Queued) {
                hr = writer->queueJpegFile(p);
            } else if (feed == Feed::Files) {
                hr = writer->writeJpegFile(p);
            } else if (c->kind == CompressorKind::JpegCopy) {
                hr = writer->writeJpeg(readBytes(p));
            } else {
                Decoded d = decode(p);
                hr = writer->writeBitmap(d.header, d.bits.data());
            }
            EXPECT_EQ(hr, S_OK) << writer->lastError();
        }
        return writer->finish();
    }
    std::string probe(const std::string& avi) { return probeVideo(avi); }
    // ffmpeg's decode of every frame as top-down BGR rows without padding.
    std::vector<std::uint8_t> ffmpegFrames(const std::string& avi)
    {
        const std::string out = root.path() + "/decoded.bgr";
        runCommand("ffmpeg -v error -y -i '" + avi + "' -f rawvideo -pix_fmt bgr24 '" + out + "'");
        return readBytes(out);
    }
    // Largest per-channel difference between ffmpeg's frames and the source bitmaps.
    int largestDifference(const std::string& avi, const std::vector<std::string>& paths)
    {
        std::vector<std::uint8_t> got = ffmpegFrames(avi);
        int worst = 0;
        std::size_t at = 0;
        for (const std::string& p : paths) {
            Decoded d = decode(p);
            const int w = d.header.biWidth, h = d.header.biHeight;
            const std::size_t stride = camBihStride(w);
            if (got.size() < at + static_cast<std::size_t>(w) * h * 3)
                return 256;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w * 3; ++x) {
                    const int a = got[at + static_cast<std::size_t>(y) * w * 3 + x];
                    const int b = d.bits[(h - 1 - y) * stride + x];
                    worst = std::max(worst, std::abs(a - b));
                }
            at += static_cast<std::size_t>(w) * h * 3;
        }
        return got.size() == at ? worst : 256;
    }

    TempStateRoot root;
    std::string folder;
    ComPtr<ICamImageObject> image;
};

} // namespace vistel::test
