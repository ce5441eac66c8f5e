#include "tools/camctl/tests/CamctlProgram.h"

#include "platform/com/ClassRegistration.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace camctltest {

std::string binaryFolder()
{
    return std::filesystem::canonical("/proc/self/exe").parent_path().string();
}

Child::Child(std::vector<std::string> args, bool collect)
{
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (collect && ::pipe(m_out) == 0 && ::pipe(m_err) == 0) {
        posix_spawn_file_actions_adddup2(&actions, m_out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, m_err[1], 2);
        posix_spawn_file_actions_addclose(&actions, m_out[0]);
        posix_spawn_file_actions_addclose(&actions, m_err[0]);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    if (::posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    for (int fd : {m_out[1], m_err[1]})
        if (fd >= 0)
            ::close(fd);
}

Child::~Child()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    for (int fd : {m_out[0], m_err[0]})
        if (fd >= 0)
            ::close(fd);
}

Child::Result Child::finish(std::chrono::seconds limit)
{
    Result result;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    pollfd fds[2] = {{m_out[0], POLLIN, 0}, {m_err[0], POLLIN, 0}};
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
                fds[i].fd = -1;
                --open;
            } else {
                (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
            }
        }
    }
    if (open > 0)
        ::kill(m_pid, SIGKILL);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
    if (open == 0 && WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    return result;
}

Child::Result camctl(std::vector<std::string> args)
{
    args.insert(args.begin(), binaryFolder() + "/camctl");
    return Child(std::move(args)).finish();
}

void CamctlFixture::SetUp()
{
    std::string detail;
    ASSERT_EQ(registerServerLibrary(binaryFolder() + "/Lumin.so", false, &detail), S_OK) << detail;
}

} // namespace camctltest
