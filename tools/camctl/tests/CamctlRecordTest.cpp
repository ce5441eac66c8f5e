// camctl record as a script runs it: a simulated camera, a real folder (and a small filled-up
// tmpfs), the sequence read back with the reader the viewer uses.
#include "recorder/sequence/SequenceReader.h"
#include "tools/camctl/tests/CamctlProgram.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <sys/mount.h>
#include <thread>

using namespace camctltest;
namespace fs = std::filesystem;

namespace {

struct FrameLine {
    unsigned long number = 0;
    std::string file;
    unsigned long ms = 0;
    unsigned long bytes = 0;
};

std::vector<FrameLine> frameLines(const std::string& out)
{
    std::vector<FrameLine> frames;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        FrameLine f;
        char file[300] = {};
        if (std::sscanf(line.c_str(), "frame %lu file=%299s ms=%lu bytes=%lu", &f.number, file,
                        &f.ms, &f.bytes) == 4) {
            f.file = file;
            frames.push_back(f);
        }
    }
    return frames;
}

// The PATH of "recorded N frames in S s to PATH"; empty when the line is missing or N differs.
std::string recordedPath(const std::string& out, std::size_t frames)
{
    const std::string head = "recorded " + std::to_string(frames) + " frames in ";
    const auto at = out.find(head);
    const auto to = out.find(" s to ", at);
    if (at == std::string::npos || to == std::string::npos)
        return {};
    const auto end = out.find('\n', to);
    return out.substr(to + 6, end - to - 6);
}

// Every printed frame is in the sequence, in order, complete on disk.
void expectSequenceHolds(const std::string& sequence, const std::vector<FrameLine>& frames)
{
    const SequenceContents contents = readSequence(sequence);
    ASSERT_TRUE(contents.isGood()) << sequence;
    ASSERT_EQ(contents.framePaths.size(), frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].number, i + 1);
        EXPECT_EQ(fs::path(contents.framePaths[i]).filename(), frames[i].file);
        std::error_code error;
        EXPECT_EQ(fs::file_size(contents.framePaths[i], error), frames[i].bytes) << frames[i].file;
    }
}

class CamctlRecord : public CamctlFixture {
protected:
    void SetUp() override
    {
        CamctlFixture::SetUp();
        m_dir = m_root.path() + "/rec";
        fs::create_directories(m_dir);
    }
    std::string streamUrl(const camsim::CamSimConfig& config = {})
    {
        camsim::CamSim* camera = startCamera(config);
        return camera ? camera->url(camera->videoPath(1, "320x240")) : std::string();
    }
    std::string m_dir;
};

} // namespace

TEST_F(CamctlRecord, DurationLimitGivesAFrameAtTheFirstImageAndOneAtEveryTick)
{
    camsim::CamSimConfig config;
    config.fps = 30;
    const std::string url = streamUrl(config);
    ASSERT_FALSE(url.empty());
    const Child::Result run =
        camctl({"record", url, m_dir, "--prefix", "Door", "--interval", "100", "--duration", "1"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<FrameLine> frames = frameLines(run.out);
    // The first image, then ticks at 100 ... 900 ms: the one at 1000 ms finds the limit.
    EXPECT_GE(frames.size(), 8u) << run.out;
    EXPECT_LE(frames.size(), 10u) << run.out;
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames[0].ms, 0u);
    for (std::size_t i = 1; i < frames.size(); ++i)
        EXPECT_GT(frames[i].ms, frames[i - 1].ms);
    EXPECT_EQ(frames[0].file.rfind("Door_", 0), 0u);
    const std::string sequence = recordedPath(run.out, frames.size());
    ASSERT_FALSE(sequence.empty()) << run.out;
    EXPECT_EQ(fs::path(sequence).parent_path(), fs::path(m_dir));
    // The sequence is named after its first frame.
    EXPECT_EQ(fs::path(sequence).stem(), fs::path(frames[0].file).stem());
    expectSequenceHolds(sequence, frames);
    EXPECT_EQ(readSequence(sequence).header.frameInterval, 100u);
}

TEST_F(CamctlRecord, SizeLimitStopsOnceTheSavedBytesReachIt)
{
    camsim::CamSimConfig config;
    config.fps = 30;
    const std::string url = streamUrl(config);
    ASSERT_FALSE(url.empty());
    const Child::Result run =
        camctl({"record", url, m_dir + "/", "--interval", "20", "--max-size", "60000"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<FrameLine> frames = frameLines(run.out);
    ASSERT_FALSE(frames.empty()) << run.out;
    unsigned long total = 0;
    for (const FrameLine& f : frames)
        total += f.bytes;
    EXPECT_GE(total, 60000u);
    EXPECT_LT(total - frames.back().bytes, 60000u); // at most one frame past the limit
    const std::string sequence = recordedPath(run.out, frames.size());
    // A directory given with its trailing "/" is used as it is.
    EXPECT_EQ(sequence.find("//"), std::string::npos) << sequence;
    expectSequenceHolds(sequence, frames);
}

TEST_F(CamctlRecord, ZeroLimitsWriteNoFile)
{
    const std::string url = streamUrl();
    ASSERT_FALSE(url.empty());
    for (const char* limit : {"--duration", "--max-size"}) {
        const Child::Result run = camctl({"record", url, m_dir, limit, "0"});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_NE(run.out.find("recorded 0 frames"), std::string::npos) << run.out;
    }
    EXPECT_TRUE(fs::is_empty(m_dir));
}

TEST_F(CamctlRecord, SigtermFinalizesTheSequenceBeforeExit)
{
    camsim::CamSimConfig config;
    config.fps = 30;
    const std::string url = streamUrl(config);
    ASSERT_FALSE(url.empty());
    Child child({binaryFolder() + "/camctl", "record", url, m_dir, "--interval", "50"});
    ASSERT_TRUE(child.started());
    // Wait until frames are on disk, then stop it as a service manager would.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    auto jpegCount = [&] {
        std::size_t n = 0;
        for (const auto& entry : fs::directory_iterator(m_dir))
            n += entry.path().extension() == ".jpg";
        return n;
    };
    while (jpegCount() < 5 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20)); // files, nothing to wait on
    ASSERT_GE(jpegCount(), 5u);
    ::kill(child.pid(), SIGTERM);
    const Child::Result run = child.finish();
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::vector<FrameLine> frames = frameLines(run.out);
    const std::string sequence = recordedPath(run.out, frames.size());
    ASSERT_FALSE(sequence.empty()) << run.out;
    expectSequenceHolds(sequence, frames);
}

TEST_F(CamctlRecord, MissingDirectoryIsOneLineErrorAndNoFile)
{
    const std::string url = streamUrl();
    ASSERT_FALSE(url.empty());
    const Child::Result run = camctl({"record", url, m_dir + "/missing"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("cannot create the sequence file " + m_dir + "/missing/"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("no such directory\n"), std::string::npos) << run.err;
    EXPECT_TRUE(frameLines(run.out).empty());
    EXPECT_FALSE(fs::exists(m_dir + "/missing"));
}

TEST_F(CamctlRecord, CameraEndingTheStreamLeavesAFinalizedSequence)
{
    camsim::CamSimConfig config;
    config.fps = 20;
    config.faults.closeAfterParts = 12;
    const std::string url = streamUrl(config);
    ASSERT_FALSE(url.empty());
    const Child::Result run = camctl({"record", url, m_dir, "--interval", "40"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("the camera ended the stream"), std::string::npos) << run.err;
    const std::vector<FrameLine> frames = frameLines(run.out);
    ASSERT_FALSE(frames.empty()) << run.out;
    expectSequenceHolds(recordedPath(run.out, frames.size()), frames);
}

TEST_F(CamctlRecord, FullDiskFinalizesWithTheFramesThatFit)
{
    const std::string disk = m_root.path() + "/small";
    fs::create_directories(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=200k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount{disk};

    camsim::CamSimConfig config;
    config.fps = 30;
    const std::string url = streamUrl(config);
    ASSERT_FALSE(url.empty());
    const Child::Result run = camctl({"record", url, disk, "--interval", "20"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("cannot save the frame " + disk + "/"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("the disk is full"), std::string::npos) << run.err;
    const std::vector<FrameLine> frames = frameLines(run.out);
    ASSERT_GE(frames.size(), 3u) << run.out;
    const std::string sequence = recordedPath(run.out, frames.size());
    ASSERT_FALSE(sequence.empty()) << run.out;
    // Header counts the saved frames; each is whole; the frame that did not fit left no file.
    expectSequenceHolds(sequence, frames);
    std::size_t jpegs = 0;
    for (const auto& entry : fs::directory_iterator(disk))
        jpegs += entry.path().extension() == ".jpg";
    EXPECT_EQ(jpegs, frames.size());
}
