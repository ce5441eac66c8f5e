#pragma once
// What the camctl tests share: child processes with their output collected, camctl run as a
// script runs it, and a fixture with simulated cameras and the client library registered in a
// fresh state root (the child inherits ORVEL_STATE_ROOT).

#include "testsupport/CamSimFixture.h"
#include "testsupport/TempStateRoot.h"

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace camctltest {

// The folder of the test program, where camctl and the client library are built too.
std::string binaryFolder();

// A child process with its standard output and error collected (or sent to /dev/null);
// killed at destruction or after the limit.
class Child {
public:
    explicit Child(std::vector<std::string> args, bool collect = true);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    bool started() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }

    struct Result {
        int exitCode = -1; // -1 when it had to be killed or did not exit by itself
        std::string out;
        std::string err;
    };
    Result finish(std::chrono::seconds limit = std::chrono::seconds(30));

private:
    pid_t m_pid = -1;
    int m_out[2] = {-1, -1};
    int m_err[2] = {-1, -1};
};

// Runs the built camctl with args to its end (30 s at most).
Child::Result camctl(std::vector<std::string> args);

class CamctlFixture : public CamSimFixture {
protected:
    void SetUp() override;
    TempStateRoot m_root;
};

} // namespace camctltest
