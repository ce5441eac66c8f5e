#pragma once
// The anchor of the view benchmarks: ffmpeg decoding the same streams to null, one process a
// stream, all at once (-f mpjpeg -i URL -f null -), measured for a span after their start-up.

#include <string>
#include <vector>

namespace viewbench {

struct FfmpegDecode {
    bool ran = false;                    // false: ffmpeg could not be started
    std::vector<double> framesPerSecond; // each stream's
    double cpuSeconds = 0;               // all processes, over the span
    double wallSeconds = 0;
    double cpuPerFrameUs() const;
};

// Prints a line per stream as it goes; tag names the temporary progress files.
FfmpegDecode measureFfmpegDecode(const std::vector<std::string>& urls, int seconds,
                                 const std::string& tag);

} // namespace viewbench
