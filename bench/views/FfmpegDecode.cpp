#include "FfmpegDecode.h"

#include "bench/support/ProcessUsage.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace viewbench {

namespace {

// The last "frame=" of an ffmpeg -progress file.
unsigned long progressFrames(const std::string& file)
{
    std::ifstream in(file);
    std::string line;
    unsigned long frames = 0;
    while (std::getline(in, line))
        if (line.rfind("frame=", 0) == 0)
            frames = std::strtoul(line.c_str() + 6, nullptr, 10);
    return frames;
}

} // namespace

double FfmpegDecode::cpuPerFrameUs() const
{
    double frames = 0;
    for (double fps : framesPerSecond)
        frames += fps * wallSeconds;
    return frames > 0 ? cpuSeconds / frames * 1e6 : 0;
}

FfmpegDecode measureFfmpegDecode(const std::vector<std::string>& urls, int seconds,
                                 const std::string& tag)
{
    FfmpegDecode result;
    std::vector<pid_t> ffmpegs;
    std::vector<std::string> progress;
    for (std::size_t i = 0; i < urls.size(); ++i) {
        progress.push_back("/tmp/" + tag + "-ffmpeg-" + std::to_string(::getpid()) + "-" +
                           std::to_string(i) + ".txt");
        ffmpegs.push_back(bench::spawnProgram({"ffmpeg", "-hide_banner", "-nostats", "-loglevel",
                                               "error", "-progress", "pipe:1", "-f", "mpjpeg", "-i",
                                               urls[i], "-f", "null", "-"},
                                              progress.back(), true));
    }
    auto finish = [&] {
        for (pid_t pid : ffmpegs) {
            if (pid <= 0)
                continue;
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
        for (const std::string& file : progress)
            std::remove(file.c_str());
    };
    if (std::any_of(ffmpegs.begin(), ffmpegs.end(), [](pid_t p) { return p <= 0; })) {
        finish();
        return result;
    }
    std::this_thread::sleep_for(std::chrono::seconds(2)); // start-up and probing
    std::vector<unsigned long> frames0;
    double cpu0 = 0;
    for (std::size_t i = 0; i < urls.size(); ++i) {
        frames0.push_back(progressFrames(progress[i]));
        cpu0 += bench::processCpuSeconds(ffmpegs[i]);
    }
    const auto start = bench::Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    result.wallSeconds = std::chrono::duration<double>(bench::Clock::now() - start).count();
    result.cpuSeconds = -cpu0;
    for (std::size_t i = 0; i < urls.size(); ++i) {
        result.cpuSeconds += bench::processCpuSeconds(ffmpegs[i]);
        // -progress writes about twice a second: the frame count is read at the same moment.
        result.framesPerSecond.push_back(
            static_cast<double>(progressFrames(progress[i]) - frames0[i]) / result.wallSeconds);
    }
    finish();
    result.ran = true;
    return result;
}

} // namespace viewbench
