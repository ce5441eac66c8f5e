#pragma once
// Starts the registry test's helper program and waits for it with a deadline.

#include <chrono>
#include <csignal>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

class ChildProcess {
public:
    explicit ChildProcess(std::vector<std::string> args)
    {
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(REGISTRY_CHILD));
        for (auto& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, REGISTRY_CHILD, nullptr, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
    }
    ~ChildProcess()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The exit code, or -1 when it did not start, crashed or outlived the deadline.
    int wait(std::chrono::seconds deadline = std::chrono::seconds(60))
    {
        if (m_pid <= 0)
            return -1;
        auto until = std::chrono::steady_clock::now() + deadline;
        while (std::chrono::steady_clock::now() < until) {
            int status = 0;
            pid_t done = ::waitpid(m_pid, &status, WNOHANG);
            if (done == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5)); // polling, not syncing
        }
        return -1;
    }

private:
    pid_t m_pid = -1;
};
