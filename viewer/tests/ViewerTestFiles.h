#pragma once
// Files for the viewer's tests: real JPEG frames of one colour each and sequence files with
// any magic and interval.

#include <string>
#include <vector>

namespace vistel::test {

struct Rgb {
    int r, g, b;
};

// A width x height JPEG of one colour at path; false when it cannot be written.
bool writeSolidJpeg(const std::string& path, int width, int height, Rgb colour);
// A JPEG whose quadrants are red (top left), green (top right), blue, white.
bool writeQuadrantJpeg(const std::string& path, int width, int height);
// A detailed JPEG (gradients, a texture) that differs from frame to frame: a bar moving along
// with index and a texture shifting with it.
bool writeNumberedJpeg(const std::string& path, int width, int height, int index);

// A sequence file with these 4 magic bytes, interval and bare frame names.
bool writeSequenceFile(const std::string& path, const char* magic, unsigned interval,
                       const std::vector<std::string>& names);

// Frame names "f0.jpg" ... for count frames in folder, frame i of colour frameColour(i).
std::vector<std::string> writeFrames(const std::string& folder, int count, int width, int height);
Rgb frameColour(int index);

// What command prints on stdout.
std::string runCommand(const std::string& command);
// ffprobe's account of a movie's first video stream, one "key=value" line each: its
// codec_tag_string, width, height, r_frame_rate and nb_read_frames (frames decoded).
std::string probeVideo(const std::string& avi);
// True when ffprobe and ffmpeg can be run.
bool haveFfmpeg();

// The folder screenshots go to (created): $VISTEL_SCREENSHOT_DIR, else "screenshots" beside
// the test program.
std::string screenshotFolder();

} // namespace vistel::test
