// Frames queued to the writer's worker threads: the same movie as frames written one by one on
// the calling thread, whatever the compressor; a stop midway keeps every frame queued and a
// frame that cannot be read ends the movie with the frames before it. Real threads, real
// files, movies read back by ffprobe and ffmpeg.

#include "recorder/sequence/avi/FramePipeline.h"
#include "viewer/tests/AviWritingFixture.h"

#include <dlfcn.h>

namespace {

using namespace vistel;
using namespace vistel::test;

struct AviPipeline : AviWriting {
    // The media library (and the Qt it brings) stays loaded for good: the thread sanitizer
    // cannot follow Qt being unloaded and loaded again by registration and CoFreeUnusedLibraries.
    void SetUp() override
    {
        const auto bin = std::filesystem::canonical("/proc/self/exe").parent_path();
        ASSERT_TRUE(::dlopen((bin / "Medrix.so").c_str(), RTLD_NOW | RTLD_NODELETE));
        AviWriting::SetUp();
    }
    // Writes the frames one by one or queued; every fifth goes as its bitmap, as the viewer
    // gives the frames it shows.
    void writeMixed(const std::string& avi, const std::string& fourcc,
                    const std::vector<std::string>& paths, bool queued)
    {
        auto list = availableCompressors();
        const VideoCompressor* c = findCompressor(list, fourcc);
        ASSERT_TRUE(c);
        AviStreamInfo info = describeAviStream(40, static_cast<UI4>(paths.size()));
        info.rcFrame = {0, 0, 64, 48};
        std::unique_ptr<AviWriter> writer;
        ASSERT_EQ(AviWriter::create(avi, info, *c, {}, &writer, nullptr), S_OK);
        for (std::size_t i = 0; i < paths.size(); ++i) {
            HRESULT hr;
            if (i % 5 == 2 && c->kind != CompressorKind::JpegCopy) {
                Decoded d = decode(paths[i]);
                hr = queued ? writer->queueBitmap(d.header, d.bits.data())
                            : writer->writeBitmap(d.header, d.bits.data());
            } else {
                hr = queued ? writer->queueJpegFile(paths[i]) : writer->writeJpegFile(paths[i]);
            }
            ASSERT_EQ(hr, S_OK) << i << ": " << writer->lastError();
        }
        ASSERT_EQ(writer->finish(), S_OK) << writer->lastError();
        EXPECT_EQ(writer->framesWritten(), paths.size());
    }
    int frameCount(const std::string& avi)
    {
        const std::string p = probe(avi);
        const std::size_t at = p.find("nb_read_frames=");
        return at == std::string::npos ? -1 : std::stoi(p.substr(at + 15));
    }
    std::unique_ptr<AviWriter> writerFor(const std::string& avi, const std::string& fourcc,
                                         std::size_t frames)
    {
        auto list = availableCompressors();
        AviStreamInfo info = describeAviStream(40, static_cast<UI4>(frames));
        info.rcFrame = {0, 0, 64, 48};
        std::unique_ptr<AviWriter> writer;
        EXPECT_EQ(AviWriter::create(avi, info, *findCompressor(list, fourcc), {}, &writer, nullptr),
                  S_OK);
        return writer;
    }
};

TEST_F(AviPipeline, QueuedFramesGiveTheSameMovieAsFramesWrittenOneByOne)
{
    // More frames than are ever in flight, so the ring goes round several times.
    const int count = static_cast<int>(kFramesInFlight) * 2 + 5;
    const auto detailed = numberedFrames(count, 64, 48);
    auto mixedSizes = detailed;
    mixedSizes[7] = folder + "/small.jpg"; // scaled up to the first frame's size
    ASSERT_TRUE(writeNumberedJpeg(mixedSizes[7], 32, 24, 7));
    for (const char* fourcc : {"DIB ", "FFV1", "MJPG", "FMP4", "copy"}) {
        SCOPED_TRACE(fourcc);
        const auto& paths = std::string(fourcc) == "copy" ? detailed : mixedSizes;
        const std::string one = root.path() + "/one.avi", queued = root.path() + "/queued.avi";
        writeMixed(one, fourcc, paths, false);
        writeMixed(queued, fourcc, paths, true);
        EXPECT_EQ(frameCount(queued), count);
        const std::vector<std::uint8_t> want = ffmpegFrames(one);
        ASSERT_EQ(want.size(), static_cast<std::size_t>(count) * 64 * 48 * 3);
        EXPECT_TRUE(ffmpegFrames(queued) == want) << "the decoded frames differ";
        // Every encoder here codes a frame to the same bytes on any worker.
        EXPECT_TRUE(readBytes(queued) == readBytes(one)) << "the files differ";
    }
}

TEST_F(AviPipeline, StoppingMidwayKeepsEveryFrameQueuedAndTheCountMatchesTheFile)
{
    const auto paths = numberedFrames(40, 64, 48);
    const std::vector<std::string> firstTen(paths.begin(), paths.begin() + 10);
    for (const char* fourcc : {"FFV1", "MJPG", "DIB "}) {
        SCOPED_TRACE(fourcc);
        const std::string avi = root.path() + "/stopped.avi";
        const std::string want = root.path() + "/ten.avi";
        ASSERT_EQ(write(want, fourcc, firstTen, 40, Feed::Files), S_OK);
        {
            auto writer = writerFor(avi, fourcc, paths.size());
            ASSERT_TRUE(writer);
            for (const std::string& p : firstTen)
                ASSERT_EQ(writer->queueJpegFile(p), S_OK);
            // Stopped with frames still being coded: they are written all the same.
            if (std::string(fourcc) != "MJPG") {
                EXPECT_EQ(writer->finish(), S_OK);
                EXPECT_EQ(writer->framesWritten(), 10u);
            } // MJPG: the writer goes without finish, its destructor completes the file
        }
        EXPECT_EQ(frameCount(avi), 10);
        EXPECT_TRUE(ffmpegFrames(avi) == ffmpegFrames(want)) << "the decoded frames differ";
    }
}

TEST_F(AviPipeline, AMissingFrameMidwayEndsTheMovieWithTheFramesBeforeIt)
{
    const auto paths = numberedFrames(30, 64, 48);
    std::filesystem::remove(paths[13]);
    const std::vector<std::string> before(paths.begin(), paths.begin() + 13);
    for (const char* fourcc : {"FFV1", "MJPG", "DIB ", "copy"}) {
        SCOPED_TRACE(fourcc);
        const std::string avi = root.path() + "/broken.avi";
        const std::string want = root.path() + "/before.avi";
        ASSERT_EQ(write(want, fourcc, before, 40, Feed::Files), S_OK);
        auto writer = writerFor(avi, fourcc, paths.size());
        ASSERT_TRUE(writer);
        // The failure shows at the frame or later, or at the flush; never before the frame.
        std::size_t failedAt = paths.size();
        for (std::size_t i = 0; i < paths.size() && failedAt == paths.size(); ++i)
            if (FAILED(writer->queueJpegFile(paths[i])))
                failedAt = i;
        const bool flushFailed = FAILED(writer->flush());
        EXPECT_TRUE(failedAt < paths.size() ? failedAt >= 13 && !flushFailed : flushFailed);
        EXPECT_EQ(writer->framesWritten(), 13u);
        EXPECT_TRUE(writer->frameUnreadable());
        EXPECT_NE(writer->lastError().find("n13.jpg"), std::string::npos) << writer->lastError();
        EXPECT_EQ(writer->finish(), S_OK) << writer->lastError();
        EXPECT_EQ(writer->framesWritten(), 13u);
        EXPECT_EQ(frameCount(avi), 13);
        EXPECT_TRUE(ffmpegFrames(avi) == ffmpegFrames(want)) << "the decoded frames differ";
    }
}

} // namespace
