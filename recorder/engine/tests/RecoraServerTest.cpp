// The recorder as the namespace starts it: CamRecord created in a Recora process of its own
// through CoCreateInstance(CLSCTX_LOCAL_SERVER), Init and Start through the proxy, a simulated
// camera, and what the user would see followed through the recorder's state log.
#include "common/ICamRecord.h"
#include "common/RecoraClasses.h"
#include "platform/com/ClassRegistration.h"
#include "platform/com/ComPtr.h"
#include "platform/com/LocalServer.h"
#include "platform/com/Runtime.h"
#include "recorder/sequence/SequenceReader.h"
#include "testsupport/CamSimFixture.h"
#include "testsupport/TempStateRoot.h"
#include "testsupport/WaitUntil.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/mount.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string binFolder()
{
    return fs::canonical("/proc/self/exe").parent_path().string();
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::size_t countOf(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// A process that has ended (gone or a zombie nobody reaped yet).
bool processEnded(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return true;
    const auto paren = line.rfind(')');
    return paren != std::string::npos && paren + 2 < line.size() && line[paren + 2] == 'Z';
}

std::vector<fs::path> filesWith(const std::string& dir, const char* extension)
{
    std::vector<fs::path> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(dir, error))
        if (entry.path().extension() == extension)
            found.push_back(entry.path());
    std::sort(found.begin(), found.end());
    return found;
}

class RecoraServer : public CamSimFixture {
protected:
    void SetUp() override
    {
        m_dir = m_root.path() + "/rec";
        fs::create_directories(m_dir);
        m_log = m_root.path() + "/recora-state.log";
        ::setenv("RECORA_STATE_LOG", m_log.c_str(), 1);
        ::setenv("RECORA_ANSWER_BOXES", "1", 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        CoInitialize(nullptr);
        std::string detail;
        for (const char* library : {"/Lumin.so", "/Medrix.so"})
            ASSERT_EQ(registerServerLibrary(binFolder() + library, false, &detail), S_OK) << detail;
        ASSERT_EQ(registerServerProgram(RECORA_PROGRAM, false), S_OK);
    }
    void TearDown() override
    {
        // A recorder belongs to the user once started: end the ones this test started.
        m_recorder.reset();
        for (pid_t pid : m_pids)
            if (!processEnded(pid))
                ::kill(pid, SIGKILL);
        CoUninitialize();
        ::unsetenv("RECORA_STATE_LOG");
        ::unsetenv("RECORA_ANSWER_BOXES");
        CamSimFixture::TearDown();
    }

    ICamRecord* create()
    {
        m_recorder.reset();
        EXPECT_EQ(CoCreateInstance(CLSID_CamRecord, nullptr, CLSCTX_LOCAL_SERVER, IID_ICamRecord,
                                   m_recorder.putVoid()),
                  S_OK);
        if (m_recorder)
            m_pids.push_back(static_cast<pid_t>(localServerProcessId(m_recorder.get())));
        return m_recorder.get();
    }
    std::string cameraUrl(camsim::CamSimConfig config = {})
    {
        camsim::CamSim* camera = startCamera(config);
        return camera ? camera->url(camera->videoPath(1, "320x240")) : std::string();
    }
    HRESULT initAndStart(const std::string& url, const std::string& dir, LONG interval,
                         DWORD duration, DWORD maxSize, const char* prefix = "Door")
    {
        ICamRecord* rec = create();
        if (!rec)
            return E_FAIL;
        EXPECT_EQ(rec->Init(Bstr(url).get(), Bstr("Entrance").get()), S_OK);
        return rec->Start(Bstr(dir).get(), Bstr(prefix).get(), interval, duration, maxSize);
    }
    bool waitForLog(const std::string& what, std::size_t times = 1,
                    std::chrono::milliseconds limit = 20s)
    {
        return waitUntil([&] { return countOf(readFile(m_log), what) >= times; }, limit);
    }
    std::string log() { return readFile(m_log); }

    TempStateRoot m_root;
    std::string m_dir;
    std::string m_log;
    ComPtr<ICamRecord> m_recorder;
    std::vector<pid_t> m_pids;
};

} // namespace

TEST_F(RecoraServer, StartWithoutInitIsSFalseAndShowsNoWindow)
{
    ICamRecord* rec = create();
    ASSERT_TRUE(rec);
    EXPECT_EQ(rec->Start(Bstr(m_dir).get(), Bstr("Door").get(), 100, 5, 1000000), S_FALSE);
    EXPECT_EQ(rec->Stop(), E_NOTIMPL);
    EXPECT_EQ(log().find("window shown"), std::string::npos) << log();
    EXPECT_TRUE(fs::is_empty(m_dir));
}

TEST_F(RecoraServer, DirectoryGetsItsSeparatorAndZeroLimitsWriteNoFile)
{
    const std::string url = cameraUrl();
    ASSERT_FALSE(url.empty());
    // Duration 0, then size 0 with the separator already given: the first capture ends both.
    ASSERT_EQ(initAndStart(url, m_dir, 100, 0, 1000000), S_OK);
    ASSERT_TRUE(waitForLog("status Stopped, Entrance")) << log();
    ASSERT_EQ(initAndStart(url, m_dir + "/", 100, 10, 0), S_OK);
    ASSERT_TRUE(waitForLog("status Stopped, Entrance", 2)) << log();
    EXPECT_TRUE(fs::is_empty(m_dir));
    EXPECT_EQ(log().find("errorbox"), std::string::npos);

    // A separator is appended, never doubled.
    ASSERT_EQ(initAndStart(url, m_dir, 100, 1, 1000000), S_OK);
    ASSERT_TRUE(waitForLog("finalized path=" + m_dir + "/Door_")) << log();
    ASSERT_EQ(initAndStart(url, m_dir + "/", 100, 1, 1000000, "Gate"), S_OK);
    ASSERT_TRUE(waitForLog("finalized path=" + m_dir + "/Gate_")) << log();
    EXPECT_EQ(filesWith(m_dir, ".sqj").size(), 2u);
}

TEST_F(RecoraServer, TenSecondsAtOneSecondGiveTenFrames)
{
    camsim::CamSimConfig config;
    config.fps = 10;
    const std::string url = cameraUrl(config);
    ASSERT_FALSE(url.empty());
    ASSERT_EQ(initAndStart(url, m_dir, 1000, 10, 0xFFFFFFFF), S_OK);
    // The namespace lets go of the object right after Start; the recording goes on.
    m_recorder.reset();
    ASSERT_TRUE(waitForLog("status Recording, Entrance")) << log();
    ASSERT_TRUE(waitForLog("finalized path=", 1, 30s)) << log();
    const auto sequences = filesWith(m_dir, ".sqj");
    ASSERT_EQ(sequences.size(), 1u);
    const SequenceContents contents = readSequence(sequences[0]);
    ASSERT_TRUE(contents.isGood());
    EXPECT_EQ(contents.header.frameCount, 10u);
    EXPECT_EQ(contents.header.frameInterval, 1000u);
    EXPECT_EQ(filesWith(m_dir, ".jpg").size(), 10u);
    // A limit ends it silently and closes the connection.
    EXPECT_TRUE(waitForLog("status Stopped, Entrance")) << log();
    EXPECT_EQ(log().find("errorbox"), std::string::npos);
}

TEST_F(RecoraServer, CameraEndingTheStreamFinalizesAndReconnectionStartsANewFile)
{
    camsim::CamSimConfig config;
    config.fps = 25;
    config.faults.closeAfterParts = 15;
    const std::string url = cameraUrl(config);
    ASSERT_FALSE(url.empty());
    ASSERT_EQ(initAndStart(url, m_dir, 50, 60, 0xFFFFFFFF), S_OK);
    ASSERT_TRUE(waitForLog("finalized path=")) << log();
    ASSERT_TRUE(waitForLog("status Stopped, Entrance")) << log();
    EXPECT_EQ(log().find("window closed"), std::string::npos); // the window stays open
    auto sequences = filesWith(m_dir, ".sqj");
    ASSERT_EQ(sequences.size(), 1u);
    const SequenceContents first = readSequence(sequences[0]);
    ASSERT_TRUE(first.isGood());
    EXPECT_GE(first.header.frameCount, 3u);

    // The same object connects again: the next capture opens a new file of its own.
    ASSERT_EQ(m_recorder->Start(Bstr(m_dir).get(), Bstr("Door").get(), 50, 60, 0xFFFFFFFF), S_OK);
    ASSERT_TRUE(waitForLog("finalized path=", 2)) << log();
    sequences = filesWith(m_dir, ".sqj");
    ASSERT_EQ(sequences.size(), 2u);
    const SequenceContents second = readSequence(sequences[1]);
    ASSERT_TRUE(second.isGood());
    EXPECT_GE(second.header.frameCount, 3u);
    // Each header counts only its own frames.
    EXPECT_EQ(readSequence(sequences[0]).framePaths, first.framePaths);
    for (const std::string& path : second.framePaths)
        EXPECT_EQ(std::count(first.framePaths.begin(), first.framePaths.end(), path), 0);
    EXPECT_EQ(filesWith(m_dir, ".jpg").size(), first.header.frameCount + second.header.frameCount);
    EXPECT_EQ(countOf(log(), "window shown"), 1u);
}

TEST_F(RecoraServer, MissingDirectoryShowsOneErrorBoxAndWritesNothing)
{
    const std::string url = cameraUrl();
    ASSERT_FALSE(url.empty());
    ASSERT_EQ(initAndStart(url, m_dir + "/missing", 50, 60, 0xFFFFFFFF), S_OK);
    ASSERT_TRUE(waitForLog("errorbox caption=Error text=Create sequence failed")) << log();
    ASSERT_TRUE(waitForLog("status Stopped, Entrance")) << log();
    // Ticks keep coming while the box is up: still one box.
    EXPECT_TRUE(waitForLog("button off=1 enabled=0"));
    EXPECT_EQ(countOf(log(), "errorbox"), 1u) << log();
    EXPECT_FALSE(fs::exists(m_dir + "/missing"));
    EXPECT_TRUE(fs::is_empty(m_dir));
}

TEST_F(RecoraServer, PlaceholderHeaderThatCannotBeWrittenEndsTheRecording)
{
    const std::string disk = m_root.path() + "/full";
    fs::create_directories(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount{disk};
    {
        // Fill it: the sequence file can be created but not one header byte written.
        std::ofstream filler(disk + "/filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), block.size()))
            filler.flush();
    }
    const std::string url = cameraUrl();
    ASSERT_FALSE(url.empty());
    ASSERT_EQ(initAndStart(url, disk, 50, 60, 0xFFFFFFFF), S_OK);
    ASSERT_TRUE(waitForLog("errorbox caption=Error")) << log();
    ASSERT_TRUE(waitForLog("status Stopped, Entrance")) << log();
    EXPECT_EQ(countOf(log(), "errorbox"), 1u);
    EXPECT_TRUE(filesWith(disk, ".jpg").empty());
    for (const fs::path& sequence : filesWith(disk, ".sqj"))
        EXPECT_EQ(readSequence(sequence).header.frameCount, 0u);
}

TEST_F(RecoraServer, ClosingTheWindowFinalizesAndTheProcessEndsAboutSixSecondsLater)
{
    const std::string url = cameraUrl();
    ASSERT_FALSE(url.empty());
    ASSERT_EQ(initAndStart(url, m_dir, 100, 600, 0xFFFFFFFF), S_OK);
    const pid_t pid = m_pids.back();
    m_recorder.reset();
    ASSERT_TRUE(waitUntil([&] { return filesWith(m_dir, ".jpg").size() >= 3; }, 20s));
    // A stop signal closes the window as the user would.
    const auto closedAt = std::chrono::steady_clock::now();
    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    ASSERT_TRUE(waitForLog("window closed")) << log();
    ASSERT_TRUE(waitForLog("finalized path=")) << log();
    const auto sequences = filesWith(m_dir, ".sqj");
    ASSERT_EQ(sequences.size(), 1u);
    const SequenceContents contents = readSequence(sequences[0]);
    ASSERT_TRUE(contents.isGood());
    EXPECT_EQ(contents.framePaths.size(), filesWith(m_dir, ".jpg").size());
    // 5000 ms of the shutdown monitor, then the 1000 ms pause.
    ASSERT_TRUE(waitUntil([&] { return processEnded(pid); }, 20s));
    const auto took = std::chrono::steady_clock::now() - closedAt;
    EXPECT_GE(took, 5500ms);
    EXPECT_LT(took, 12s);
}

TEST_F(RecoraServer, WithoutTheCameraClientStartFailsAndTheWindowShowsStopped)
{
    std::string detail;
    ASSERT_EQ(registerServerLibrary(binFolder() + "/Lumin.so", true, &detail), S_OK) << detail;
    ASSERT_EQ(initAndStart("http://127.0.0.1/video", m_dir, 100, 10, 1000), E_FAIL);
    EXPECT_TRUE(waitForLog("status Stopped, Entrance")) << log();
    EXPECT_TRUE(waitForLog("button off=1 enabled=0")) << log();
    EXPECT_EQ(countOf(log(), "window shown"), 1u);
    EXPECT_TRUE(fs::is_empty(m_dir));
}
