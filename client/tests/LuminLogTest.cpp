// The process-wide log: levels and mask, enable counts, the line format, rotation, erasing,
// and many writers at once. The Log class is exercised on its own in a temporary folder, and
// through ILuminentError of a Luminent created by class id.

#include "client/Log.h"
#include "client/tests/LuminFixture.h"
#include "common/ICamModuleVersion.h"
#include "common/ILuminentError.h"
#include "common/LuminClasses.h"
#include "platform/base/StateRoot.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace lumin::test {
namespace {

namespace fs = std::filesystem;

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Lines without their CR LF; fails the test on a line not ended by CR LF.
std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "unterminated line: " << text.substr(start);
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// Whether text matches a shape where '9' stands for any digit.
bool matchesShape(std::string_view text, std::string_view shape)
{
    if (text.size() != shape.size())
        return false;
    for (std::size_t i = 0; i < shape.size(); ++i)
        if (shape[i] == '9' ? !std::isdigit(static_cast<unsigned char>(text[i]))
                            : text[i] != shape[i])
            return false;
    return true;
}

// The text after the "(level) date time  " prefix; empty and a failure when the prefix is
// malformed or has another level.
std::string textOf(const std::string& line, int level)
{
    std::string expected = "(" + std::to_string(level) + ") ";
    constexpr std::string_view kStamp = "9999-99-99 99:99:99  ";
    if (line.compare(0, expected.size(), expected) != 0 ||
        !matchesShape(std::string_view(line).substr(expected.size(), kStamp.size()), kStamp)) {
        ADD_FAILURE() << "not a level " << level << " line: " << line;
        return {};
    }
    return line.substr(expected.size() + kStamp.size());
}

class LogFile : public testing::Test {
protected:
    std::string txt() const { return m_root.path() + "/LuminLog.txt"; }
    std::string old() const { return m_root.path() + "/LuminLog.old"; }

    TempStateRoot m_root;
    Log m_log{m_root.path()};
};

TEST_F(LogFile, WritesOnlyLevelsInTheMask)
{
    EXPECT_EQ(m_log.writeLine(LogFailure, "before enable"), S_FALSE);
    ASSERT_EQ(m_log.enable(LogFailure), S_OK);
    EXPECT_EQ(m_log.writeFormatted(LogCall, "OpenUrl (%s)", "http://cam1/"), E_ABORT);
    EXPECT_EQ(m_log.writeLine(LogFailure, "Send request failed"), S_OK);
    EXPECT_EQ(m_log.writeLine(LogFailure | LogCall, "either bit"), S_OK);
    EXPECT_EQ(m_log.writeLine(LogFailure, nullptr), E_INVALIDARG);

    auto lines = linesOf(readFile(txt()));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(textOf(lines[0], 1), "*** Log Enabled (1) ***");
    EXPECT_EQ(textOf(lines[1], 1), "Send request failed");
    EXPECT_EQ(textOf(lines[2], 5), "either bit");
}

TEST_F(LogFile, LastEnableSetsTheMask)
{
    ASSERT_EQ(m_log.enable(LogFailure), S_OK);
    ASSERT_EQ(m_log.enable(LogCall | LogLifecycle), S_OK);
    EXPECT_EQ(m_log.writeLine(LogFailure, "dropped"), E_ABORT);
    EXPECT_EQ(m_log.writeFormatted(LogCall, "SetDelay (%d)", -3), S_OK);
    auto lines = linesOf(readFile(txt()));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(textOf(lines[1], 12), "*** Log Enabled (2) ***");
    EXPECT_EQ(textOf(lines[2], 4), "SetDelay (-3)");
}

TEST_F(LogFile, StaysOpenUntilEveryEnableIsMatched)
{
    ASSERT_EQ(m_log.enable(LogFailure), S_OK);
    ASSERT_EQ(m_log.enable(LogFailure), S_OK);
    ASSERT_EQ(m_log.disable(), S_OK);
    EXPECT_EQ(m_log.writeLine(LogFailure, "still open"), S_OK);
    ASSERT_EQ(m_log.disable(), S_OK);
    EXPECT_EQ(m_log.writeLine(LogFailure, "closed"), S_FALSE);
    EXPECT_EQ(m_log.disable(), S_OK); // not below zero

    auto lines = linesOf(readFile(txt()));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(textOf(lines[2], 1), "*** Log Disabled (1) ***");
    EXPECT_EQ(textOf(lines[3], 1), "still open");
    EXPECT_EQ(textOf(lines.back(), 1), "*** Log Disabled (0) ***");

    // Enabling again appends to the same file.
    ASSERT_EQ(m_log.enable(LogFailure), S_OK);
    EXPECT_EQ(linesOf(readFile(txt())).size(), 6u);
}

TEST_F(LogFile, RotatesOnceTheFileHasGrownPastOneMebibyte)
{
    // Exactly at the limit the next line still goes to the file; the one after rotates.
    std::string filler;
    while (filler.size() < kLogRotateSize)
        filler += "earlier line\r\n";
    filler.resize(kLogRotateSize - 2);
    filler += "\r\n";
    {
        std::ofstream(txt(), std::ios::binary) << filler;
        std::ofstream(old(), std::ios::binary) << "stale\r\n";
    }
    ASSERT_EQ(m_log.enable(LogFailure), S_OK);
    EXPECT_EQ(fs::file_size(txt()), kLogRotateSize + linesOf(readFile(txt())).back().size() + 2);
    ASSERT_EQ(m_log.writeLine(LogFailure, "first of the new file"), S_OK);

    std::string previous = readFile(old());
    EXPECT_EQ(previous.substr(0, filler.size()), filler);
    auto oldLines = linesOf(previous);
    EXPECT_EQ(textOf(oldLines.back(), 1), "*** Log Enabled (1) ***");
    auto lines = linesOf(readFile(txt()));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(textOf(lines[0], 1), "first of the new file");
}

TEST_F(LogFile, EraseEmptiesTheFileAndKeepsTheCount)
{
    ASSERT_EQ(m_log.enable(LogFailure), S_OK);
    ASSERT_EQ(m_log.enable(LogCall), S_OK);
    ASSERT_EQ(m_log.writeLine(LogCall, "gone after erase"), S_OK);
    ASSERT_EQ(m_log.erase(), S_OK);
    auto lines = linesOf(readFile(txt()));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(textOf(lines[0], 4), "*** Log Enabled (2) ***");
    EXPECT_EQ(m_log.writeLine(LogCall, "kept mask"), S_OK);
    m_log.disable();
    m_log.disable();
    EXPECT_EQ(m_log.writeLine(LogCall, "closed"), S_FALSE);
}

TEST_F(LogFile, EraseOfADisabledLogOnlyRemovesTheFile)
{
    ASSERT_EQ(m_log.enable(LogFailure), S_OK);
    m_log.disable();
    ASSERT_TRUE(fs::exists(txt()));
    ASSERT_EQ(m_log.erase(), S_OK);
    EXPECT_FALSE(fs::exists(txt()));
    EXPECT_EQ(m_log.writeLine(LogFailure, "closed"), S_FALSE);
}

TEST_F(LogFile, OutOfMemoryLineHasNoPrefixAndIgnoresTheMask)
{
    m_log.writeOutOfMemory(); // closed: nothing
    ASSERT_EQ(m_log.enable(LogFailure), S_OK);
    m_log.writeOutOfMemory();
    std::string text = readFile(txt());
    EXPECT_EQ(text.substr(text.size() - 23), "!!! Out of memory !!!\r\n");
    EXPECT_EQ(linesOf(text).size(), 2u);
}

TEST_F(LogFile, DescribesFailedResults)
{
    ASSERT_EQ(m_log.enable(LogFailure), S_OK);
    EXPECT_EQ(m_log.writeError(S_OK), S_OK);
    EXPECT_EQ(m_log.writeError(E_ACCESSDENIED), S_OK);
    EXPECT_EQ(m_log.writeError(MAKE_HRESULT(1, FACILITY_ITF, 20481)), S_OK);
    auto lines = linesOf(readFile(txt()));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(textOf(lines[1], 1), "Access is denied.");
    EXPECT_EQ(textOf(lines[2], 1), "Error test");
}

TEST_F(LogFile, NoFileNameWhenThePathIsTooLong)
{
    Log log(m_root.path() + "/" + std::string(260, 'x'));
    EXPECT_EQ(log.enable(LogFailure), E_FAIL);
    EXPECT_EQ(log.fileName(), "");
}

TEST_F(LogFile, UnopenableFileIsAHandleError)
{
    Log log(m_root.path() + "/missing-folder");
    EXPECT_EQ(log.enable(LogFailure), E_HANDLE);
}

// Eight writers at once: every line arrives whole, each writer's lines all arrive, and the
// size count stays exact, which shows in where the rotation cut the file.
TEST_F(LogFile, ManyWritersGiveWholeLinesAndAnExactSize)
{
    constexpr int kThreads = 8;
    constexpr int kLinesEach = 3000;
    ASSERT_EQ(m_log.enable(LogFailure), S_OK);
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t)
        writers.emplace_back([this, t] {
            for (int i = 0; i < kLinesEach; ++i)
                m_log.writeFormatted(LogFailure, "writer %d line %d %.*s", t, i, (i * 7) % 40,
                                     "........................................");
        });
    for (auto& writer : writers)
        writer.join();

    std::string previous = readFile(old());
    std::string current = readFile(txt());
    ASSERT_FALSE(previous.empty()) << "expected one rotation";
    auto oldLines = linesOf(previous);
    EXPECT_GT(previous.size(), kLogRotateSize);
    EXPECT_LE(previous.size() - oldLines.back().size() - 2, kLogRotateSize);

    std::vector<int> next(kThreads, 0);
    auto lines = oldLines;
    auto newLines = linesOf(current);
    lines.insert(lines.end(), newLines.begin(), newLines.end());
    ASSERT_EQ(lines.size(), std::size_t(kThreads * kLinesEach + 1));
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::string text = textOf(lines[i], 1);
        int writer = -1, number = -1, consumed = 0;
        ASSERT_EQ(std::sscanf(text.c_str(), "writer %d line %d %n", &writer, &number, &consumed), 2)
            << text;
        ASSERT_TRUE(writer >= 0 && writer < kThreads) << text;
        EXPECT_EQ(text.find_first_not_of('.', consumed), std::string::npos) << text;
        EXPECT_EQ(text.size() - consumed, std::size_t((number * 7) % 40)) << text;
        EXPECT_EQ(number, next[writer]++) << "writer " << writer << " out of order";
    }
}

// Through a Luminent created by class id.
class LuminentLog : public LuminFixture {
protected:
    void SetUp() override
    {
        LuminFixture::SetUp();
        m_error = create<ILuminentError>(CLSID_Luminent);
        ASSERT_TRUE(m_error);
    }
    void TearDown() override
    {
        m_error.reset();
        std::filesystem::remove(logPath());
        // Unloading the idle library closes the process-wide log, so every test starts with a
        // log that is off, in its own state root.
        CoFreeUnusedLibraries();
    }

    std::string logPath() const { return stateFolder() + "/LuminLog.txt"; }

    ComPtr<ILuminentError> m_error;
};

TEST_F(LuminentLog, LivesInTheStateFolderAndFiltersByLevel)
{
    ASSERT_EQ(m_error->EnableLog(LogLifecycle), S_OK);
    auto version = m_error.as<ICamModuleVersion>();
    ASSERT_TRUE(version);
    UI4 major = 0, minor = 0, build = 0;
    EXPECT_EQ(version->GetVersion(&major, &minor, &build), S_OK); // level 4: filtered
    version.reset();
    m_error.reset(); // "FinalRelease" at level 8; the log outlives the object

    m_error = create<ILuminentError>(CLSID_Luminent);
    ASSERT_EQ(m_error->EnableLog(LogCall), S_OK);
    version = m_error.as<ICamModuleVersion>();
    EXPECT_EQ(version->GetVersion(&major, &minor, &build), S_OK);
    ASSERT_EQ(m_error->DisableLog(), S_OK);
    ASSERT_EQ(m_error->DisableLog(), S_OK);
    EXPECT_EQ(version->GetVersion(&major, &minor, &build), S_OK); // closed

    auto lines = linesOf(readFile(logPath()));
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(textOf(lines[0], 8), "*** Log Enabled (1) ***");
    // Only level 8 lines until the mask changes, the release among them.
    std::size_t i = 1;
    bool released = false;
    for (; i < lines.size() && lines[i].rfind("(8) ", 0) == 0; ++i)
        released = released || textOf(lines[i], 8) == "FinalRelease";
    EXPECT_TRUE(released);
    ASSERT_EQ(lines.size() - i, 4u) << readFile(logPath());
    EXPECT_EQ(textOf(lines[i], 4), "*** Log Enabled (2) ***");
    EXPECT_EQ(textOf(lines[i + 1], 4), "GetVersion");
    EXPECT_EQ(textOf(lines[i + 2], 4), "*** Log Disabled (1) ***");
    EXPECT_EQ(textOf(lines[i + 3], 4), "*** Log Disabled (0) ***");
}

TEST_F(LuminentLog, EraseStartsTheFileAgain)
{
    ASSERT_EQ(m_error->EnableLog(LogCall), S_OK);
    auto version = m_error.as<ICamModuleVersion>();
    UI4 major, minor, build;
    version->GetVersion(&major, &minor, &build);
    ASSERT_EQ(m_error->EraseLog(), S_OK);
    version->GetVersion(&major, &minor, &build);
    auto lines = linesOf(readFile(logPath()));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(textOf(lines[0], 4), "*** Log Enabled (1) ***");
    EXPECT_EQ(textOf(lines[1], 4), "GetVersion");
    m_error->DisableLog();
}

TEST_F(LuminentLog, GetVersionReadsTheLibraryFile)
{
    auto version = m_error.as<ICamModuleVersion>();
    ASSERT_TRUE(version);
    UI4 major = 9, minor = 9, build = 9;
    ASSERT_EQ(version->GetVersion(&major, &minor, &build), S_OK);
    EXPECT_EQ(major, 1u);
    EXPECT_EQ(minor, 2u);
    EXPECT_EQ(build, 4u);
}

TEST_F(LuminentLog, DescribesInterfaceAndSystemCodes)
{
    BSTR text = bstrFromUtf8("previous");
    EXPECT_EQ(m_error->GetDescription(MAKE_HRESULT(1, FACILITY_ITF, 20481), &text), S_OK);
    EXPECT_EQ(bstrToUtf8(text), "Error test");
    EXPECT_EQ(m_error->GetDescription(E_ACCESSDENIED, &text), S_OK);
    EXPECT_EQ(bstrToUtf8(text), "Access is denied.");
    EXPECT_EQ(m_error->GetDescription(E_INVALIDARG, &text), S_OK);
    EXPECT_EQ(bstrToUtf8(text), "The parameter is incorrect.");
    EXPECT_EQ(m_error->GetDescription(REGDB_E_CLASSNOTREG, &text), S_OK);
    EXPECT_EQ(bstrToUtf8(text), "Class not registered");
    // The interface range has one text; its other codes and the base itself have none.
    EXPECT_EQ(m_error->GetDescription(MAKE_HRESULT(1, FACILITY_ITF, 20482), &text), E_FAIL);
    EXPECT_EQ(m_error->GetDescription(MAKE_HRESULT(1, FACILITY_ITF, 20480), &text), E_FAIL);
    EXPECT_EQ(bstrToUtf8(text), "Class not registered");
    EXPECT_EQ(m_error->GetDescription(E_FAIL, nullptr), E_INVALIDARG);
    SysFreeString(text);
}

// xdg-open stand-ins: this machine has no desktop to open a file with.
class LuminentOpenLog : public LuminentLog {
protected:
    void SetUp() override
    {
        LuminentLog::SetUp();
        m_bin = stateRootPath() + "/fake-bin";
        fs::create_directories(m_bin);
        if (const char* path = std::getenv("PATH"))
            m_savedPath = path;
        ::setenv("PATH", m_bin.c_str(), 1);
    }
    void TearDown() override
    {
        ::setenv("PATH", m_savedPath.c_str(), 1);
        fs::remove_all(m_bin);
        LuminentLog::TearDown();
    }
    void installOpener(const std::string& script)
    {
        std::string path = m_bin + "/xdg-open";
        std::ofstream(path) << "#!/bin/sh\n" << script << "\n";
        fs::permissions(path, fs::perms::owner_all);
    }

    std::string m_bin;
    std::string m_savedPath;
};

TEST_F(LuminentOpenLog, OpensTheLogFileWithTheDesktopOpener)
{
    installOpener("echo \"$1\" > \"" + stateRootPath() + "/opened\"");
    ASSERT_EQ(m_error->EnableLog(LogFailure), S_OK);
    EXPECT_EQ(m_error->OpenLog(), S_OK);
    EXPECT_EQ(readFile(stateRootPath() + "/opened"), logPath() + "\n");
    m_error->DisableLog();
}

TEST_F(LuminentOpenLog, MapsTheOpenersFailures)
{
    EXPECT_EQ(m_error->OpenLog(), E_INVALIDARG); // no file yet
    ASSERT_EQ(m_error->EnableLog(LogFailure), S_OK);
    EXPECT_EQ(m_error->OpenLog(), E_INVALIDARG); // no opener installed
    installOpener("exit 3");
    EXPECT_EQ(m_error->OpenLog(), E_INVALIDARG);
    installOpener("exit 4");
    EXPECT_EQ(m_error->OpenLog(), E_FAIL);
    m_error->DisableLog();
}

} // namespace
} // namespace lumin::test
