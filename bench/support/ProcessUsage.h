#pragma once
// The figures a benchmark takes of itself and of the programs it starts: CPU time, resident
// memory, threads and the allocator's heap.

#include <chrono>
#include <cstddef>
#include <string>
#include <sys/resource.h>
#include <sys/types.h>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

double cpuSecondsOf(const rusage& usage); // user + system
double cpuSeconds();                      // this process, every thread
double processCpuSeconds(pid_t pid);      // a running child, from /proc; 0 when unknown
long residentKiB();                       // this process
int threadCount();                        // this process; -1 when unknown

// A running process, all its threads together, from /proc (this process too, by its own id):
// CPU seconds, the kernel's share of them, and context switches. Zeros when unknown.
struct ProcessFigures {
    double cpuSeconds = 0;
    double kernelSeconds = 0;
    unsigned long long voluntarySwitches = 0;
    unsigned long long involuntarySwitches = 0;
};
ProcessFigures processFigures(pid_t pid);

// What the allocator holds, over all its arenas.
struct HeapFigures {
    std::size_t inUseKiB = 0; // handed out, mapped chunks included
    std::size_t freeKiB = 0;  // kept free inside the arenas
    int arenas = 0;
};
HeapFigures heapFigures();

// CPU and wall time from the moment it is made.
class UsageSpan {
public:
    UsageSpan() : m_cpu(cpuSeconds()), m_start(Clock::now()) {}
    double cpuSeconds() const { return bench::cpuSeconds() - m_cpu; }
    double wallSeconds() const
    {
        return std::chrono::duration<double>(Clock::now() - m_start).count();
    }

private:
    double m_cpu;
    Clock::time_point m_start;
};

// Starts a program with stdout to outFile and stderr to /dev/null; searchPath looks the
// program up in PATH. -1 when it cannot start.
pid_t spawnProgram(std::vector<std::string> args, const std::string& outFile,
                   bool searchPath = false);

// A child waited for, with the CPU it used in its whole life.
struct Finished {
    int status = -1;
    double cpuSeconds = 0;
    double wallSeconds = 0;
};
Finished waitForChild(pid_t pid, Clock::time_point started);

} // namespace bench
