// Runs the camctl program as a script would, against simulated cameras and the registered
// client library in a fresh state root (the child inherits ORVEL_STATE_ROOT).
#include "platform/com/ClassRegistration.h"
#include "testsupport/CamSimFixture.h"
#include "testsupport/TempStateRoot.h"

#include <chrono>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string binaryFolder()
{
    return std::filesystem::canonical("/proc/self/exe").parent_path().string();
}

// Runs camctl with args; gives up (exit code -1) after 30 s.
ProgramRun camctl(std::vector<std::string> args)
{
    ProgramRun run;
    args.insert(args.begin(), binaryFolder() + "/camctl");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    int out[2];
    int err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    if (spawned != 0) {
        ::close(out[0]);
        ::close(err[0]);
        return run;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = 2;
    while (open > 0 && std::chrono::steady_clock::now() < deadline) {
        if (::poll(fds, 2, 100) <= 0)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP)))
                continue;
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            } else {
                (i == 0 ? run.out : run.err).append(buffer, static_cast<std::size_t>(n));
            }
        }
    }
    for (pollfd& fd : fds) {
        if (fd.fd >= 0)
            ::close(fd.fd);
    }
    if (open > 0)
        ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (open == 0 && WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    return run;
}

class CamctlIdentify : public CamSimFixture {
protected:
    void SetUp() override
    {
        std::string detail;
        ASSERT_EQ(registerServerLibrary(binaryFolder() + "/Lumin.so", false, &detail), S_OK)
            << detail;
    }
    TempStateRoot m_root;
};

TEST_F(CamctlIdentify, PrintsModelVersionAndTarget)
{
    camsim::CamSimConfig config;
    config.bannerText = "220 ORVEL OC43 Network Camera 3.10b ready.";
    camsim::CamSim* camera = startCamera(config);
    ASSERT_TRUE(camera);
    const ProgramRun run = camctl({"identify", camera->host() + ":8080"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "model=OC43 version=3.10 target=CamTarget210\n");

    // An unknown model gets the default target.
    config.bannerText = "220 ORVEL QX12 version 5.00";
    camera = startCamera(config);
    ASSERT_TRUE(camera);
    EXPECT_EQ(camctl({"identify", camera->host()}).out,
              "model=QX12 version=5.00 target=CamTarget210\n");
}

TEST_F(CamctlIdentify, FailuresHaveTheirOwnExitCodes)
{
    camsim::CamSimConfig config;
    config.bannerMode = camsim::BannerMode::UnknownWords;
    camsim::CamSim* strange = startCamera(config);
    config.bannerMode = camsim::BannerMode::None;
    camsim::CamSim* silent = startCamera(config);
    ASSERT_TRUE(strange && silent);

    ProgramRun run = camctl({"identify", strange->host()});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find("no greeting on port 21 that names a known camera"), std::string::npos)
        << run.err;

    run = camctl({"identify", silent->host(), "--timeout", "300"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("did not greet on port 21 within 300 ms"), std::string::npos) << run.err;

    EXPECT_EQ(camctl({"identify"}).exitCode, 2);
    EXPECT_EQ(camctl({"identify", "h", "--timeout", "soon"}).exitCode, 2);
    EXPECT_EQ(camctl({"frobnicate"}).exitCode, 2);
}

} // namespace
