#include "viewer/tests/ViewerTestFiles.h"

#include "recorder/sequence/SequenceFormat.h"
#include "tools/camsim/JpegEncoder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

namespace vistel::test {

namespace {
bool writeJpeg(const std::string& path, int width, int height,
               const std::function<Rgb(int, int)>& colourAt)
{
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            Rgb c = colourAt(x, y);
            std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
            p[0] = static_cast<std::uint8_t>(c.r);
            p[1] = static_cast<std::uint8_t>(c.g);
            p[2] = static_cast<std::uint8_t>(c.b);
        }
    auto encoder = camsim::JpegEncoder::create();
    std::string jpeg;
    if (!encoder || !encoder->encode(rgb, width, height, 95, jpeg))
        return false;
    std::ofstream out(path, std::ios::binary);
    out.write(jpeg.data(), static_cast<std::streamsize>(jpeg.size()));
    return static_cast<bool>(out);
}
} // namespace

bool writeSolidJpeg(const std::string& path, int width, int height, Rgb colour)
{
    return writeJpeg(path, width, height, [&](int, int) { return colour; });
}

bool writeQuadrantJpeg(const std::string& path, int width, int height)
{
    return writeJpeg(path, width, height, [&](int x, int y) {
        bool right = x >= width / 2, bottom = y >= height / 2;
        if (!bottom)
            return right ? Rgb{0, 255, 0} : Rgb{255, 0, 0};
        return right ? Rgb{255, 255, 255} : Rgb{0, 0, 255};
    });
}

bool writeNumberedJpeg(const std::string& path, int width, int height, int index)
{
    const int block = (index * 5) % width;
    return writeJpeg(path, width, height, [&](int x, int y) {
        if (x >= block && x < block + 6)
            return Rgb{255 - (index * 37) % 128, 255, 40};
        return Rgb{x * 255 / width, y * 255 / height, ((x ^ y) + index * 11) % 256};
    });
}

bool writeSequenceFile(const std::string& path, const char* magic, unsigned interval,
                       const std::vector<std::string>& names)
{
    std::string bytes(magic, 4);
    std::uint8_t field[4];
    storeLe32(field, static_cast<UI4>(names.size()));
    bytes.append(reinterpret_cast<const char*>(field), 4);
    storeLe32(field, interval);
    bytes.append(reinterpret_cast<const char*>(field), 4);
    for (const std::string& name : names)
        bytes += encodeSequenceEntry(name);
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

Rgb frameColour(int index)
{
    // Far apart, so a decoded frame is told from its neighbours despite JPEG loss.
    static const Rgb colours[] = {{200, 30, 30},  {30, 200, 30},  {30, 30, 200},
                                  {200, 200, 30}, {30, 200, 200}, {200, 30, 200}};
    return colours[index % 6];
}

std::vector<std::string> writeFrames(const std::string& folder, int count, int width, int height)
{
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        std::string name = "f" + std::to_string(i) + ".jpg";
        if (!writeSolidJpeg(folder + "/" + name, width, height, frameColour(i)))
            return {};
        names.push_back(name);
    }
    return names;
}

std::string runCommand(const std::string& command)
{
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p)
        return out;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    ::pclose(p);
    return out;
}

std::string probeVideo(const std::string& avi)
{
    return runCommand("ffprobe -v error -select_streams v:0 -count_frames -show_entries "
                      "stream=codec_tag_string,width,height,r_frame_rate,nb_read_frames -of "
                      "default=nw=1 '" +
                      avi + "'");
}

bool haveFfmpeg()
{
    return std::system("ffprobe -version > /dev/null 2>&1") == 0 &&
           std::system("ffmpeg -version > /dev/null 2>&1") == 0;
}

std::string screenshotFolder()
{
    std::filesystem::path folder;
    if (const char* dir = std::getenv("VISTEL_SCREENSHOT_DIR"); dir && *dir)
        folder = dir;
    else
        folder = std::filesystem::canonical("/proc/self/exe").parent_path() / "screenshots";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder.string();
}

} // namespace vistel::test
