#include "platform/base/StateRoot.h"
#include "platform/registry/Registry.h"
#include "testsupport/TempStateRoot.h"
#include "testsupport/WaitUntil.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {
struct RunResult {
    int exitCode = -1;
    std::string output; // stdout and stderr together
};

// Runs a program with its output in a file, waiting at most a minute.
RunResult run(std::vector<std::string> args, const std::string& outputFile)
{
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    RunResult result;
    int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return result;
    int status = 0;
    if (!waitUntil([&] { return ::waitpid(pid, &status, WNOHANG) == pid; },
                   std::chrono::seconds(60))) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        return result;
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(outputFile);
    std::stringstream text;
    text << in.rdbuf();
    result.output = text.str();
    return result;
}

bool classKeyExists(const char* clsid)
{
    HKEY key = nullptr;
    std::string path = std::string("CLSID\\") + clsid;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

constexpr const char* kLibraryClass = "{5E1D0A01-0000-4000-8000-0000000000A1}";
constexpr const char* kProgramClass = "{5E1D0A01-0000-4000-8000-0000000000A2}";

class RegsvrTest : public ::testing::Test {
protected:
    std::string outputFile() const { return m_root.path() + "/output.txt"; }
    TempStateRoot m_root;
};

TEST_F(RegsvrTest, RegistersLibrariesAndProgramsAndUnregistersThem)
{
    RunResult result = run({REGSVR, TEST_LIBRARY, TEST_PROGRAM}, outputFile());
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_TRUE(classKeyExists(kLibraryClass));
    EXPECT_TRUE(classKeyExists(kProgramClass));
    EXPECT_NE(result.output.find(configFolder()), std::string::npos) << result.output;

    result = run({REGSVR, "-u", TEST_LIBRARY, TEST_PROGRAM}, outputFile());
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_FALSE(classKeyExists(kLibraryClass));
    EXPECT_FALSE(classKeyExists(kProgramClass));
}

TEST_F(RegsvrTest, ReportsEachFailureAndStillRegistersTheRest)
{
    RunResult result = run({REGSVR, "/nonexistent/libGone.so", TEST_LIBRARY}, outputFile());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.output.find("/nonexistent/libGone.so was not registered: 0x8007007E"),
              std::string::npos)
        << result.output;
    EXPECT_TRUE(classKeyExists(kLibraryClass));

    EXPECT_EQ(run({REGSVR}, outputFile()).exitCode, 2);
    EXPECT_EQ(run({REGSVR, "-x", TEST_LIBRARY}, outputFile()).exitCode, 2);
}

TEST_F(RegsvrTest, BuildStepWarnsButNeverFails)
{
    RunResult result = run({CMAKE_PROGRAM, std::string("-DREGSVR=") + REGSVR,
                            "-DFILE=/nonexistent/libGone.so", "-P", REGISTER_STEP},
                           outputFile());
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_NE(result.output.find("Registration of /nonexistent/libGone.so failed"),
              std::string::npos)
        << result.output;

    // It registers into the state root of its environment.
    result = run({CMAKE_PROGRAM, std::string("-DREGSVR=") + REGSVR,
                  std::string("-DFILE=") + TEST_LIBRARY, "-P", REGISTER_STEP},
                 outputFile());
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_TRUE(classKeyExists(kLibraryClass));
}
} // namespace
