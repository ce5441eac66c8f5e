#include "bench/support/ProcessUsage.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace bench {

double cpuSecondsOf(const rusage& usage)
{
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return cpuSecondsOf(usage);
}

double processCpuSeconds(pid_t pid)
{
    return processFigures(pid).cpuSeconds;
}

ProcessFigures processFigures(pid_t pid)
{
    ProcessFigures figures;
    const std::string folder = "/proc/" + std::to_string(pid);
    std::ifstream in(folder + "/stat");
    std::string line;
    std::getline(in, line);
    // The command name may hold blanks: fields are counted from its closing parenthesis.
    const auto close = line.rfind(')');
    if (close == std::string::npos || close + 2 >= line.size())
        return figures;
    std::istringstream fields(line.substr(close + 2));
    std::string skip;
    for (int i = 0; i < 11; ++i) // state … cmajflt
        fields >> skip;
    double utime = 0, stime = 0;
    fields >> utime >> stime;
    const double tick = static_cast<double>(::sysconf(_SC_CLK_TCK));
    figures.cpuSeconds = (utime + stime) / tick;
    figures.kernelSeconds = stime / tick;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator(folder + "/task", error)) {
        std::ifstream status(task.path() / "status");
        while (std::getline(status, line)) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
                figures.voluntarySwitches += std::strtoull(line.c_str() + 24, nullptr, 10);
            else if (line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
                figures.involuntarySwitches += std::strtoull(line.c_str() + 27, nullptr, 10);
        }
    }
    return figures;
}

long residentKiB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

int threadCount()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Threads:", 0) == 0)
            return std::atoi(line.c_str() + 8);
    return -1;
}

HeapFigures heapFigures()
{
    HeapFigures figures;
    const struct mallinfo2 heap = ::mallinfo2();
    figures.inUseKiB = (heap.uordblks + heap.hblkhd) / 1024;
    figures.freeKiB = heap.fordblks / 1024;
    // mallinfo2 sums the arenas but does not count them; malloc_info lists each as a <heap>.
    char* text = nullptr;
    std::size_t size = 0;
    if (FILE* out = ::open_memstream(&text, &size)) {
        ::malloc_info(0, out);
        std::fclose(out);
        for (const char* at = text; at && (at = std::strstr(at, "<heap nr=")); ++at)
            ++figures.arenas;
        std::free(text);
    }
    return figures;
}

pid_t spawnProgram(std::vector<std::string> args, const std::string& outFile, bool searchPath)
{
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int failed = searchPath
                           ? ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ)
                           : ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    if (failed != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

Finished waitForChild(pid_t pid, Clock::time_point started)
{
    Finished f;
    rusage usage{};
    ::wait4(pid, &f.status, 0, &usage);
    f.wallSeconds = std::chrono::duration<double>(Clock::now() - started).count();
    f.cpuSeconds = cpuSecondsOf(usage);
    return f;
}

} // namespace bench
