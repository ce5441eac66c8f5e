#include "client/LogViewer.h"

#include <cerrno>
#include <chrono>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace lumin {
namespace {

// xdg-open returns once the viewer is started, but some desktops keep it until the viewer
// closes; past this bound the viewer counts as started.
constexpr auto kOpenerBound = std::chrono::seconds(3);

} // namespace

HRESULT openWithDefaultApplication(const std::string& path)
{
    if (path.empty())
        return E_INVALIDARG;
    if (::access(path.c_str(), F_OK) != 0)
        return E_INVALIDARG; // file or path not found
    if (::access(path.c_str(), R_OK) != 0)
        return E_ACCESSDENIED;

    char program[] = "xdg-open";
    std::string argument = path;
    char* argv[] = {program, argument.data(), nullptr};
    pid_t pid = 0;
    int spawned = ::posix_spawnp(&pid, program, nullptr, nullptr, argv, environ);
    if (spawned == ENOENT)
        return E_INVALIDARG; // no association: nothing can open files here
    if (spawned != 0)
        return E_FAIL;

    auto deadline = std::chrono::steady_clock::now() + kOpenerBound;
    int status = 0;
    while (true) {
        pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (done < 0)
            return E_FAIL;
        if (std::chrono::steady_clock::now() >= deadline)
            return S_OK;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!WIFEXITED(status))
        return E_FAIL;
    switch (WEXITSTATUS(status)) {
    case 0:
        return S_OK;
    case 2: // file not found
    case 3: // no tool to open it with
        return E_INVALIDARG;
    default:
        return E_FAIL;
    }
}

} // namespace lumin
