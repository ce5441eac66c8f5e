// Export of a 640 x 480 sequence to AVI with each compressor, against the ffmpeg program
// encoding the same frame files with the same codec in the same run ("ffmpeg -framerate R -i
// f%d.jpg -c:v CODEC", with the pixel format of ours), and the no-re-encoding path against
// Motion JPEG re-encoding. Our side is measured as camctl avi and the viewer's AVI thread
// work: the first frame decoded through the image object, then every frame file queued to
// the writer's workers. Each line gives wall seconds, process CPU seconds (all threads; the
// children's rusage for ffmpeg) and the file's size. ffmpeg runs with its own threading; the
// extra line compares our single-thread path with ffmpeg forced to one thread.
//
//   vistel_avi_bench [frames [code...]]   (default 1000 frames; codes copy DIB MJPG FFV1 FMP4)

#include "bench/viewer/BenchFrames.h"
#include "common/ICamImageObject.h"
#include "common/MedrixClasses.h"
#include "platform/com/Bstr.h"
#include "platform/com/ClassRegistration.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Runtime.h"
#include "recorder/sequence/SequenceReader.h"
#include "recorder/sequence/avi/AviStreamInfo.h"
#include "recorder/sequence/avi/AviWriter.h"
#include "recorder/sequence/avi/VideoCompressor.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>

namespace {

struct Cost {
    double cpu = 0;
    double wall = 0;
};

double cpuOf(int who)
{
    rusage usage{};
    ::getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double megabytes(const std::filesystem::path& p)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(p, error);
    return error ? 0 : static_cast<double>(size) / 1e6;
}

// Our export as camctl avi and the AVI thread do it: the first frame decoded through the
// image object for the movie's size, then every frame file handed to the writer, which
// decodes it straight into what the compressor takes: queued to its workers, or on this
// thread alone when sequential. (The viewer also decodes a frame for its view every 40 ms.)
Cost exportOurs(ICamImageObject* image, const SequenceContents& seq, const VideoCompressor& c,
                const std::string& out, bool sequential, bool* ok)
{
    const double cpu0 = cpuOf(RUSAGE_SELF), wall0 = now();
    AviStreamInfo info =
        describeAviStream(seq.header.frameInterval, static_cast<UI4>(seq.framePaths.size()));
    info.fccHandler = c.fourcc;
    _CAM_BIH header{};
    *ok = SUCCEEDED(
        image->GetDIB(Bstr(seq.framePaths.front()).get(), CamDibFull, &header, nullptr, nullptr));
    info.rcFrame = {0, 0, header.biWidth, header.biHeight};
    std::unique_ptr<AviWriter> writer;
    *ok = *ok && SUCCEEDED(AviWriter::create(out, info, c, {}, &writer, nullptr));
    for (std::size_t i = 0; *ok && i < seq.framePaths.size(); ++i)
        *ok = SUCCEEDED(sequential ? writer->writeJpegFile(seq.framePaths[i])
                                   : writer->queueJpegFile(seq.framePaths[i]));
    if (writer)
        *ok = SUCCEEDED(writer->finish()) && *ok;
    return {cpuOf(RUSAGE_SELF) - cpu0, now() - wall0};
}

// ffmpeg on the frame files, or on another input when inputArgs names one; with its own
// threading unless oneThread.
Cost exportFfmpeg(const std::string& folder, unsigned rate, const std::string& codecArgs,
                  const std::string& out, bool oneThread, bool* ok,
                  const std::string& inputArgs = {})
{
    const double cpu0 = cpuOf(RUSAGE_CHILDREN), wall0 = now();
    const std::string input = inputArgs.empty() ? "-framerate " + std::to_string(rate) +
                                                      " -start_number 0 -i '" + folder + "/f%d.jpg'"
                                                : inputArgs;
    const std::string threads = oneThread ? " -threads 1 " : " ";
    const std::string command =
        "ffmpeg -v error -y" + threads + input + " " + codecArgs + threads + "'" + out + "'";
    *ok = std::system(command.c_str()) == 0;
    return {cpuOf(RUSAGE_CHILDREN) - cpu0, now() - wall0};
}

void printCost(const char* what, const Cost& cost, const std::filesystem::path& file, bool ok)
{
    std::printf("      %-34s wall %7.3f  cpu %7.3f  %7.1f MB%s\n", what, cost.wall, cost.cpu,
                megabytes(file), ok ? "" : "  (failed)");
}

} // namespace

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::max(10, std::atoi(argv[1])) : 1000;
    const std::vector<std::string> only(argv + std::min(argc, 2), argv + argc);
    const auto folder =
        std::filesystem::temp_directory_path() / ("vistel-avi-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "state");
    ::setenv("ORVEL_STATE_ROOT", (folder / "state").c_str(), 1);
    const auto bin = std::filesystem::canonical("/proc/self/exe").parent_path();
    CoInitialize(nullptr);
    int result = 0;
    {
        ComPtr<ICamImageObject> image;
        if (FAILED(registerServerLibrary((bin / "Medrix.so").string(), false)) ||
            FAILED(CoCreateInstance(CLSID_CamImageObject, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_ICamImageObject, image.putVoid()))) {
            std::fprintf(stderr, "the media library is not available\n");
            return 1;
        }
        const std::string sequence = bench::writeSequence(folder, frames, 40);
        const SequenceContents seq = readSequence(sequence);
        const unsigned rate = 1000 / 40;
        const auto compressors = availableCompressors();
        // The ffmpeg command of each is the with our output's pixel format where
        // ffmpeg would pick another (4:2:0 for FFV1 and raw video); those two are also timed
        // as typed, and FFV1 also on our exact pictures, read from our full-frame movie.
        struct Case {
            const char* fourcc;
            const char* ffmpegArgs;
            const char* asTypedArgs = nullptr;
        };
        const Case cases[] = {
            {"copy", "-c:v copy"},
            {"DIB ", "-c:v rawvideo -pix_fmt bgr24", "-c:v rawvideo"},
            {"MJPG", "-c:v mjpeg -pix_fmt yuvj420p -g 1"},
            {"FFV1", "-c:v ffv1 -pix_fmt bgr0 -g 1", "-c:v ffv1"},
            {"FMP4", "-c:v mpeg4 -g 1 -bf 0"},
        };
        std::printf("%d frames %dx%d at %u/1; wall and CPU seconds, file size\n", frames,
                    bench::kWidth, bench::kHeight, rate);
        double copyCpu = 0, mjpgCpu = 0, copyWall = 0, mjpgWall = 0;
        for (const Case& c : cases) {
            const std::string name = std::string(c.fourcc) == "DIB " ? "DIB" : c.fourcc;
            if (!only.empty() && std::find(only.begin(), only.end(), name) == only.end())
                continue;
            const VideoCompressor* compressor = findCompressor(compressors, c.fourcc);
            if (!compressor)
                continue;
            double load[3] = {};
            ::getloadavg(load, 3);
            const auto file = [&](const char* suffix) {
                return folder / (name + suffix);
            };
            bool okOurs = false, okTheirs = false, ok = false;
            const Cost ours =
                exportOurs(image.get(), seq, *compressor, file(".avi"), false, &okOurs);
            const Cost theirs = exportFfmpeg(folder.string(), rate, c.ffmpegArgs,
                                             file("-ffmpeg.avi"), false, &okTheirs);
            std::printf("%-5s load %.1f  wall ratio %.2f  cpu ratio %.2f%s\n", c.fourcc, load[0],
                        ours.wall / theirs.wall, ours.cpu / theirs.cpu,
                        okOurs && okTheirs ? "" : "  (a side failed)");
            printCost("ours", ours, file(".avi"), okOurs);
            printCost(("ffmpeg " + std::string(c.ffmpegArgs)).c_str(), theirs, file("-ffmpeg.avi"),
                      okTheirs);
            const Cost oursOne =
                exportOurs(image.get(), seq, *compressor, file("-one.avi"), true, &ok);
            printCost("ours on one thread", oursOne, file("-one.avi"), ok);
            const Cost theirsOne = exportFfmpeg(folder.string(), rate, c.ffmpegArgs,
                                                file("-ffmpeg-one.avi"), true, &ok);
            printCost("ffmpeg -threads 1", theirsOne, file("-ffmpeg-one.avi"), ok);
            std::printf("      one thread each: cpu ratio %.2f\n", oursOne.cpu / theirsOne.cpu);
            if (c.asTypedArgs) {
                const Cost typed = exportFfmpeg(folder.string(), rate, c.asTypedArgs,
                                                file("-ffmpeg-typed.avi"), false, &ok);
                printCost(("ffmpeg " + std::string(c.asTypedArgs) + " (4:2:0)").c_str(), typed,
                          file("-ffmpeg-typed.avi"), ok);
            }
            const auto dib = folder / "DIB.avi";
            if (name == "FFV1" && std::filesystem::exists(dib)) {
                const Cost exact =
                    exportFfmpeg(folder.string(), rate, c.ffmpegArgs, file("-ffmpeg-exact.avi"),
                                 false, &ok, "-i '" + dib.string() + "'");
                printCost("ffmpeg from our full frames", exact, file("-ffmpeg-exact.avi"), ok);
            }
            if (name == "copy") {
                copyCpu = ours.cpu;
                copyWall = ours.wall;
            }
            if (name == "MJPG") {
                mjpgCpu = ours.cpu;
                mjpgWall = ours.wall;
            }
            result |= okOurs ? 0 : 1;
            // Each movie is read once, then goes: a thousand full frames are close to 1 GB.
            if (name != "DIB")
                for (const char* suffix : {".avi", "-one.avi"})
                    std::filesystem::remove(file(suffix));
            for (const char* suffix :
                 {"-ffmpeg.avi", "-ffmpeg-one.avi", "-ffmpeg-typed.avi", "-ffmpeg-exact.avi"})
                std::filesystem::remove(file(suffix));
        }
        if (copyCpu > 0 && mjpgCpu > 0)
            std::printf("no re-encoding against MJPG re-encoding: %.1fx less CPU, %.1fx less "
                        "wall time (goal 20x)\n",
                        mjpgCpu / copyCpu, mjpgWall / copyWall);
    }
    CoUninitialize();
    std::filesystem::remove_all(folder);
    return result;
}
