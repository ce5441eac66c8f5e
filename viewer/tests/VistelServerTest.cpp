// The viewer program as the album uses it: created by class id as a local server in a process
// of its own and driven through IVistel's proxy. What its window does is followed through the
// viewer's state log, stamped with the machine's monotonic clock.

#include "common/IVistel.h"
#include "common/VistelClasses.h"
#include "platform/com/ClassRegistration.h"
#include "platform/com/ComPtr.h"
#include "platform/com/LocalServer.h"
#include "platform/com/Runtime.h"
#include "testsupport/TempStateRoot.h"
#include "testsupport/WaitUntil.h"
#include "viewer/app/StateLog.h"
#include "viewer/app/VistelRegistration.h"
#include "viewer/tests/ViewerTestFiles.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

using namespace std::chrono_literals;
using namespace vistel::test;

using Snapshot = std::map<std::string, std::string>;

std::vector<Snapshot> readStateLog(const std::string& path)
{
    std::vector<Snapshot> lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        Snapshot s;
        std::istringstream fields(line);
        std::string field;
        while (std::getline(fields, field, '\t')) {
            auto eq = field.find('=');
            if (eq != std::string::npos)
                s[field.substr(0, eq)] = field.substr(eq + 1);
        }
        lines.push_back(std::move(s));
    }
    return lines;
}

long long timeOf(const Snapshot& s)
{
    return std::stoll(s.at("t"));
}

std::string binFolder()
{
    return std::filesystem::canonical("/proc/self/exe").parent_path().string();
}

struct VistelServer : ::testing::Test {
    void SetUp() override
    {
        folder = root.path() + "/frames";
        std::filesystem::create_directories(folder);
        logPath = root.path() + "/vistel-state.log";
        ::setenv(vistel::kStateLogVariable, logPath.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        CoInitialize(nullptr);
        std::string detail;
        ASSERT_EQ(registerServerLibrary(binFolder() + "/Medrix.so", false, &detail), S_OK)
            << detail;
        ASSERT_EQ(registerVistel(VISTEL_PROGRAM), S_OK);
    }
    void TearDown() override
    {
        // A viewer under user control outlives its creator: end the one this test started.
        if (pid > 0) {
            viewer.reset();
            ::kill(static_cast<pid_t>(pid), SIGTERM);
        }
        viewer.reset();
        CoUninitialize();
        ::unsetenv(vistel::kStateLogVariable);
    }

    ComPtr<IVistel> create()
    {
        EXPECT_EQ(CoCreateInstance(CLSID_Vistel, nullptr, CLSCTX_LOCAL_SERVER, IID_IVistel,
                                   viewer.putVoid()),
                  S_OK);
        pid = localServerProcessId(viewer.get());
        return viewer;
    }
    std::string path(const std::string& name) const { return folder + "/" + name; }

    // The first line from index `from` on for which pred holds, waiting up to limit.
    std::optional<Snapshot> waitFor(const std::function<bool(const Snapshot&)>& pred,
                                    std::chrono::milliseconds limit = 10s)
    {
        std::optional<Snapshot> found;
        waitUntil(
            [&] {
                for (const Snapshot& s : readStateLog(logPath))
                    if (pred(s)) {
                        found = s;
                        return true;
                    }
                return false;
            },
            limit);
        return found;
    }
    std::vector<Snapshot> events(const std::string& name)
    {
        std::vector<Snapshot> out;
        for (Snapshot& s : readStateLog(logPath))
            if (s["event"] == name)
                out.push_back(std::move(s));
        return out;
    }

    TempStateRoot root;
    std::string folder;
    std::string logPath;
    ComPtr<IVistel> viewer;
    DWORD pid = 0;
};

TEST_F(VistelServer, SetImageThenSetUserCtrlShowsTheImageAloneAtItsSizeNamedAfterTheFile)
{
    ASSERT_TRUE(writeSolidJpeg(path("Door_20010503_140509_23.jpg"), 640, 480, {90, 140, 200}));
    ASSERT_TRUE(create());
    EXPECT_NE(pid, static_cast<DWORD>(::getpid()));
    EXPECT_EQ(viewer->SetImage(Bstr(path("Door_20010503_140509_23.jpg")).get()), S_OK);
    // Until SetUserCtrl the frame stays hidden.
    EXPECT_FALSE(waitFor([](const Snapshot& s) { return s.at("visible") == "1"; }, 300ms));
    EXPECT_EQ(viewer->SetUserCtrl(), S_OK);
    auto shown = waitFor(
        [](const Snapshot& s) { return s.at("visible") == "1" && s.at("client") == "640x480"; });
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->at("toolbar"), "0");
    EXPECT_EQ(shown->at("controlbar"), "0");
    EXPECT_EQ(shown->at("statusbar"), "0");
    EXPECT_EQ(shown->at("doctitle"), "Door_20010503_140509_23.jpg");
    EXPECT_EQ(shown->at("title"), "Door_20010503_140509_23.jpg - Sequence Viewer");

    // The user owns the window now: releasing the proxy leaves the viewer running.
    viewer.reset();
    std::this_thread::sleep_for(300ms); // the viewer must still be there after a while
    EXPECT_EQ(::kill(static_cast<pid_t>(pid), 0), 0);
}

TEST_F(VistelServer, ACreatorThatLetsGoWithoutSetUserCtrlEndsTheViewer)
{
    ASSERT_TRUE(create());
    EXPECT_EQ(viewer->SetImage(Bstr(path("absent.jpg")).get()), E_HANDLE);
    const DWORD gone = pid;
    viewer.reset();
    pid = 0;
    EXPECT_TRUE(waitUntil([&] { return ::kill(static_cast<pid_t>(gone), 0) != 0; }, 10s,
                          [] { CoFreeUnusedLibraries(); })); // reaps the ended server
}

TEST_F(VistelServer, AThreeFrameSequenceAt200MsPlaysOnceAndStopsOnItsLastFrame)
{
    auto names = writeFrames(folder, 3, 160, 120);
    ASSERT_TRUE(writeSequenceFile(path("three.sqj"), "sq11", 200, names));
    ASSERT_TRUE(create());
    ASSERT_EQ(viewer->SetSequence(Bstr(path("three.sqj")).get()), S_OK);
    ASSERT_EQ(viewer->SetUserCtrl(), S_OK);

    auto stopped = waitFor([](const Snapshot& s) {
        return s.at("event") == "commands" && s.at("stop") == "EC" && s.at("index") == "0" &&
               s.at("slider") == "2";
    });
    ASSERT_TRUE(stopped);
    // Playback started when the sequence was loaded: the first line with Play checked.
    auto started = waitFor([](const Snapshot& s) { return s.at("play") == "EC"; });
    ASSERT_TRUE(started);
    const long long t0 = timeOf(*started);
    auto frames = events("frame");
    std::vector<Snapshot> ticks;
    for (const Snapshot& f : frames)
        if (!f.at("status").empty())
            ticks.push_back(f);
    ASSERT_EQ(ticks.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        const long long at = timeOf(ticks[static_cast<std::size_t>(k)]) - t0;
        EXPECT_EQ(ticks[static_cast<std::size_t>(k)].at("status"),
                  path(names[static_cast<std::size_t>(k)]));
        EXPECT_EQ(ticks[static_cast<std::size_t>(k)].at("slider"), std::to_string(k));
        // About (k + 1) x 200 ms; never early, late only by a loaded machine's margin.
        EXPECT_GE(at, (k + 1) * 200 - 20) << "frame " << k;
        EXPECT_LE(at, (k + 1) * 200 + 600) << "frame " << k;
    }
    const long long end = timeOf(*stopped) - t0;
    EXPECT_GE(end, 780);
    EXPECT_LE(end, 800 + 800);
    EXPECT_EQ(stopped->at("play"), "E-");
    EXPECT_EQ(stopped->at("pause"), "--");
    EXPECT_EQ(stopped->at("status"), path(names[2]));
    EXPECT_EQ(stopped->at("doctitle"), "f2.jpg");
}

TEST_F(VistelServer, AnIntervalOf5000MsPlaysAtOneFramePerSecond)
{
    auto names = writeFrames(folder, 3, 64, 48);
    ASSERT_TRUE(writeSequenceFile(path("slow.sqj"), "sq11", 5000, names));
    ASSERT_TRUE(create());
    ASSERT_EQ(viewer->SetSequence(Bstr(path("slow.sqj")).get()), S_OK);
    auto second = waitFor([&](const Snapshot& s) {
        return s.at("event") == "frame" && s.at("status") == path(names[1]);
    });
    ASSERT_TRUE(second);
    auto started = waitFor([](const Snapshot& s) { return s.at("play") == "EC"; });
    auto first = waitFor([&](const Snapshot& s) {
        return s.at("event") == "frame" && s.at("status") == path(names[0]);
    });
    ASSERT_TRUE(started && first);
    const long long t1 = timeOf(*first) - timeOf(*started);
    const long long t2 = timeOf(*second) - timeOf(*first);
    EXPECT_GE(t1, 980);
    EXPECT_LE(t1, 2500);
    EXPECT_GE(t2, 980);
    EXPECT_LE(t2, 2500);
}

TEST_F(VistelServer, AnUnrecognisedMagicGivesAnEmptySequenceShownAsAnEmptyDarkGreyWindow)
{
    auto names = writeFrames(folder, 2, 64, 48);
    ASSERT_TRUE(writeSequenceFile(path("foreign.sqj"), "sq12", 200, names));
    ASSERT_TRUE(create());
    ASSERT_EQ(viewer->SetSequence(Bstr(path("foreign.sqj")).get()), S_OK);
    ASSERT_EQ(viewer->SetUserCtrl(), S_OK);
    auto shown = waitFor(
        [](const Snapshot& s) { return s.at("visible") == "1" && s.at("client") == "320x240"; });
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->at("blank"), "1");
    EXPECT_EQ(shown->at("play"), "--");
    EXPECT_EQ(shown->at("pause"), "--");
    EXPECT_EQ(shown->at("stop"), "-C");
    EXPECT_EQ(shown->at("doctitle"), "foreign.sqj");
    EXPECT_TRUE(events("frame").empty() ||
                std::all_of(events("frame").begin(), events("frame").end(),
                            [](const Snapshot& s) { return s.at("status").empty(); }));
}

TEST_F(VistelServer, AMissingMiddleFrameStopsPlaybackOnADarkGreyView)
{
    auto names = writeFrames(folder, 3, 64, 48);
    std::filesystem::remove(path(names[1]));
    ASSERT_TRUE(writeSequenceFile(path("gap.sqj"), "sq11", 100, names));
    ASSERT_TRUE(create());
    ASSERT_EQ(viewer->SetSequence(Bstr(path("gap.sqj")).get()), S_OK);
    ASSERT_EQ(viewer->SetUserCtrl(), S_OK);
    auto blank = waitFor([](const Snapshot& s) { return s.at("event") == "blank"; });
    ASSERT_TRUE(blank);
    EXPECT_EQ(blank->at("blank"), "1");
    EXPECT_EQ(blank->at("play"), "E-");
    EXPECT_EQ(blank->at("stop"), "EC");
    EXPECT_EQ(blank->at("status"), path(names[0])); // the last frame that was shown
    std::this_thread::sleep_for(300ms); // three more intervals: nothing else may be shown
    for (const Snapshot& s : events("frame"))
        EXPECT_NE(s.at("status"), path(names[2]));
}

TEST_F(VistelServer, ADamagedSequenceFileFailsTheCall)
{
    ASSERT_TRUE(create());
    EXPECT_EQ(viewer->SetSequence(Bstr(path("absent.sqj")).get()), E_FAIL);
    std::ofstream(path("short.sqj")) << "sq11\x05";
    EXPECT_EQ(viewer->SetSequenceCreateAVI(Bstr(path("short.sqj")).get()), E_FAIL);
}

// Runs the viewer program with args; its exit code, or -1 when it did not end within limit.
int runViewer(const std::vector<std::string>& args, std::chrono::milliseconds limit)
{
    std::vector<char*> argv{const_cast<char*>(VISTEL_PROGRAM)};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    if (::posix_spawn(&child, VISTEL_PROGRAM, nullptr, nullptr, argv.data(), environ) != 0)
        return -2;
    int status = 0;
    bool ended = waitUntil([&] { return ::waitpid(child, &status, WNOHANG) == child; }, limit);
    if (!ended) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -3;
}

TEST_F(VistelServer, RegistrationSwitchesInAnyCaseRegisterAndExitWithoutAWindow)
{
    ASSERT_EQ(unregisterVistel(VISTEL_PROGRAM), S_OK);
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(u"Vistel.Document", &clsid), REGDB_E_CLASSNOTREG);

    ASSERT_EQ(runViewer({"/REGSERVER"}, 20s), 0);
    ASSERT_EQ(CLSIDFromProgID(u"Vistel.Document", &clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_Vistel));
    ASSERT_EQ(runViewer({"-UnRegServer"}, 20s), 0);
    EXPECT_EQ(CLSIDFromProgID(u"Vistel.Document", &clsid), REGDB_E_CLASSNOTREG);
    ASSERT_EQ(runViewer({"-RegServer"}, 20s), 0);
    EXPECT_EQ(CLSIDFromProgID(u"Vistel.Document", &clsid), S_OK);
    // No window was made, so nothing was logged.
    EXPECT_TRUE(readStateLog(logPath).empty());
}

} // namespace
