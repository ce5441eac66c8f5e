// record_bench [--seconds S] [--interval MS] [--compare-seconds C] [--address 127.0.0.N]:
// starts the camera simulator at 30 frames/s of 640x480, runs "camctl record" on it for S
// seconds (default 60) at the interval (default 33 ms), and prints the frames saved against the
// ticks of the run, the largest gap between frame stamps, the recorder's CPU time per frame and
// share of one core, and the MB/s written. The anchor, measured in the same run for C seconds
// (default 10): "camctl stream" on the same camera, the client alone reading every part.
#include "bench/support/BenchOptions.h"
#include "bench/support/ProcessUsage.h"
#include "recorder/sequence/SequenceReader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using bench::Clock;

std::string binaryFolder()
{
    return std::filesystem::canonical("/proc/self/exe").parent_path().string();
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

int main(int argc, char** argv)
{
    const bench::BenchOptions options(argc, argv);
    const int seconds = options.number("seconds", 60, 1, 24 * 3600);
    const int interval = options.number("interval", 33, 10, 60000);
    const int compareSeconds = options.number("compare-seconds", 10, 1, 3600);
    const std::string address = options.text("address", "127.0.9.3");
    char rootTemplate[] = "/tmp/record-bench-XXXXXX";
    const std::string root = ::mkdtemp(rootTemplate);
    ::setenv("ORVEL_STATE_ROOT", root.c_str(), 1);
    const std::string dir = root + "/rec";
    std::filesystem::create_directories(dir);
    const std::string bin = binaryFolder();
    const std::string url =
        "http://" + address + ":8091/orvel-cgi/mjpg/video.cgi?resolution=640x480&camera=1";

    const pid_t camera =
        bench::spawnProgram({bin + "/camsim", "--address", address, "--model", "OC35", "--fps",
                             "30", "--http-port", "8091", "--banner-port", "2191"},
                            "/dev/null");
    if (camera <= 0) {
        std::fprintf(stderr, "record_bench: cannot start camsim\n");
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1000)); // the simulator comes up

    // The anchor: the client alone, every part, no files.
    auto started = Clock::now();
    pid_t child = bench::spawnProgram(
        {bin + "/camctl", "stream", url, "--seconds", std::to_string(compareSeconds)},
        root + "/stream.txt");
    const bench::Finished stream = bench::waitForChild(child, started);
    std::size_t parts = 0;
    {
        std::istringstream lines(readFile(root + "/stream.txt"));
        std::string line;
        while (std::getline(lines, line))
            parts += line.rfind("part ", 0) == 0;
    }

    started = Clock::now();
    child = bench::spawnProgram({bin + "/camctl", "record", url, dir, "--interval",
                                 std::to_string(interval), "--duration", std::to_string(seconds)},
                                root + "/record.txt");
    const bench::Finished record = bench::waitForChild(child, started);
    ::kill(camera, SIGTERM);
    ::waitpid(camera, nullptr, 0);

    std::vector<unsigned long> stamps;
    unsigned long long bytes = 0;
    std::string sequence;
    {
        std::istringstream lines(readFile(root + "/record.txt"));
        std::string line;
        while (std::getline(lines, line)) {
            unsigned long n = 0, ms = 0, size = 0;
            char name[300];
            if (std::sscanf(line.c_str(), "frame %lu file=%299s ms=%lu bytes=%lu", &n, name, &ms,
                            &size) == 4) {
                stamps.push_back(ms);
                bytes += size;
            } else if (const auto at = line.find(" s to "); at != std::string::npos) {
                sequence = line.substr(at + 6);
            }
        }
    }
    unsigned long largestGap = 0;
    for (std::size_t i = 1; i < stamps.size(); ++i)
        largestGap = std::max(largestGap, stamps[i] - stamps[i - 1]);
    const SequenceContents contents = readSequence(sequence);
    // The first image, then one per tick while fewer than S whole seconds have passed.
    const unsigned long ticks = 1 + (seconds * 1000UL - 1) / interval;

    std::printf("camctl record, %d s at %d ms from 30 frames/s of 640x480 (exit %d)\n", seconds,
                interval, WIFEXITED(record.status) ? WEXITSTATUS(record.status) : -1);
    std::printf("  frames saved       %zu of %lu ticks (sequence header: %u, %s)\n", stamps.size(),
                ticks, contents.header.frameCount, contents.isGood() ? "valid" : "NOT VALID");
    std::printf("  largest gap        %lu ms (%.2f intervals)\n", largestGap,
                static_cast<double>(largestGap) / interval);
    const double perFrameUs = stamps.empty() ? 0 : record.cpuSeconds * 1e6 / stamps.size();
    std::printf("  CPU                %.3f s: %.0f us per frame, %.2f %% of one core\n",
                record.cpuSeconds, perFrameUs, 100.0 * record.cpuSeconds / record.wallSeconds);
    std::printf("  written            %.1f MB, %.2f MB/s\n", bytes / 1e6,
                bytes / 1e6 / record.wallSeconds);
    const double streamPerPartUs = parts ? stream.cpuSeconds * 1e6 / parts : 0;
    std::printf("anchor: camctl stream, %d s: %zu parts, %.0f us CPU per part, %.2f %% of one "
                "core\n",
                compareSeconds, parts, streamPerPartUs,
                100.0 * stream.cpuSeconds / stream.wallSeconds);
    if (streamPerPartUs > 0)
        std::printf("ratio: recording CPU per frame / client CPU per part = %.2f\n",
                    perFrameUs / streamPerPartUs);
    std::filesystem::remove_all(root);
    return 0;
}
