// The trace file: which lines reach it, its rotation, and tracing from many threads at once.

#include "namespace/params/Trace.h"

#include "testsupport/TempStateRoot.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>
#include <vector>

using namespace foldra;
namespace fs = std::filesystem;

namespace {

std::string contents(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class TraceFile : public ::testing::Test {
protected:
    void SetUp() override { m_saved = traceSettings(); }
    void TearDown() override { setTraceSettings(m_saved); }

    // The file's settings with the file at its default place in the fresh state root.
    void fileAt(int threshold)
    {
        TraceSettings settings;
        settings.fileThreshold = threshold;
        setTraceSettings(settings);
    }
    fs::path defaultFile() const { return fs::path(m_root.path()) / "state" / "FoldraTrace.txt"; }

    TempStateRoot m_root;

private:
    TraceSettings m_saved;
};

} // namespace

TEST_F(TraceFile, OffByDefaultThenLinesOfLevelOperationAndMessage)
{
    EXPECT_EQ(traceSettings().fileThreshold, 0);
    EXPECT_EQ(traceSettings().debuggerThreshold, 2);
    trace(TraceLevel::Error, TraceOp::OpenUrl, "InternetOpen fail, e=%d", 12001);
    EXPECT_FALSE(fs::exists(defaultFile()));

    fileAt(1); // below the category: still nothing
    trace(TraceLevel::Error, TraceOp::OpenUrl, "not written");
    EXPECT_FALSE(fs::exists(defaultFile()));

    fileAt(2);
    trace(TraceLevel::Error, TraceOp::OpenUrl, "InternetOpen fail, e=%d", 12001);
    trace(TraceLevel::Warning, TraceOp::InitHttp, "http client still alive");
    EXPECT_EQ(contents(defaultFile()), "error OpenURL - InternetOpen fail, e=12001\n"
                                       "warning parhand init http - http client still alive\n");
}

TEST_F(TraceFile, KeepsTheCallersErrno)
{
    TraceSettings settings;
    settings.fileThreshold = 2;
    settings.filePath = "/nonexistent-folder/trace.txt"; // the open fails and sets errno
    setTraceSettings(settings);
    errno = EPIPE;
    trace(TraceLevel::Error, TraceOp::GetData, "timeout when getting data");
    EXPECT_EQ(errno, EPIPE);
}

TEST_F(TraceFile, GrownBeyondTheLimitItMovesToBakAndStartsAnew)
{
    fileAt(2);
    const fs::path file = defaultFile();
    fs::create_directories(file.parent_path());
    {
        std::ofstream big(file, std::ios::binary);
        big << std::string(kTraceFileLimit, 'o'); // at the limit: not beyond it yet
    }
    trace(TraceLevel::Error, TraceOp::GetParams, "first");
    EXPECT_FALSE(fs::exists(file.string() + ".bak"));
    EXPECT_EQ(fs::file_size(file),
              kTraceFileLimit + std::string("error GetParams - first\n").size());

    trace(TraceLevel::Error, TraceOp::GetParams, "too much param info");
    ASSERT_TRUE(fs::exists(file.string() + ".bak"));
    EXPECT_EQ(fs::file_size(file.string() + ".bak"),
              kTraceFileLimit + std::string("error GetParams - first\n").size());
    EXPECT_EQ(contents(file), "error GetParams - too much param info\n");
}

TEST_F(TraceFile, LinesFromManyThreadsArriveWhole)
{
    fileAt(2);
    constexpr int kThreads = 4;
    constexpr int kLines = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i)
                trace(TraceLevel::Warning, TraceOp::GetData, "thread %d line %d %s", t, i,
                      std::string(100, 'a' + t).c_str());
        });
    for (std::thread& thread : threads)
        thread.join();
    std::istringstream lines(contents(defaultFile()));
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        ++count;
        ASSERT_EQ(line.rfind("warning get data - thread ", 0), 0u) << line;
        const char fill = line.back();
        EXPECT_EQ(line.substr(line.size() - 100), std::string(100, fill)) << line;
    }
    EXPECT_EQ(count, kThreads * kLines);
}
