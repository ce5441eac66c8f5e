// Export of a 640 x 480 sequence to AVI with each compressor, against the ffmpeg program
// encoding the same frame files with the same codec in the same run ("ffmpeg -framerate R -i
// f%d.jpg -c:v CODEC"), and the no-re-encoding path against Motion JPEG re-encoding. Our side
// is measured as the viewer's AVI thread works: load and decode each frame through the image
// object, then write it. Figures are process CPU seconds (ffmpeg's from its rusage) and wall
// seconds.
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

// Our export as camctl avi and the AVI thread do it: the first frame decoded through the
// image object for the movie's size, then every frame file handed to the writer, which
// decodes it straight into what the compressor takes. (The viewer also decodes a frame for
// its view every 40 ms.)
Cost exportOurs(ICamImageObject* image, const SequenceContents& seq, const VideoCompressor& c,
                const std::string& out, bool* ok)
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
        *ok = SUCCEEDED(writer->writeJpegFile(seq.framePaths[i]));
    if (writer)
        *ok = SUCCEEDED(writer->finish()) && *ok;
    return {cpuOf(RUSAGE_SELF) - cpu0, now() - wall0};
}

// ffmpeg on the frame files, or on another input when inputArgs names one.
Cost exportFfmpeg(const std::string& folder, unsigned rate, const std::string& codecArgs,
                  const std::string& out, bool* ok, const std::string& inputArgs = {})
{
    const double cpu0 = cpuOf(RUSAGE_CHILDREN), wall0 = now();
    const std::string input = inputArgs.empty() ? "-framerate " + std::to_string(rate) +
                                                      " -start_number 0 -i '" + folder + "/f%d.jpg'"
                                                : inputArgs;
    const std::string command =
        "ffmpeg -v error -y -threads 1 " + input + " " + codecArgs + " -threads 1 '" + out + "'";
    *ok = std::system(command.c_str()) == 0;
    return {cpuOf(RUSAGE_CHILDREN) - cpu0, now() - wall0};
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
        // A lossless encoder's cost follows the picture it is given. ffmpeg's default BGR
        // conversion repeats each chroma sample over 2 x 2 pixels; our frames are the image
        // object's, which interpolates chroma, and carry more detail. So FFV1 is also timed
        // against ffmpeg interpolating chroma, whose picture is the nearest it makes to ours,
        // and against ffmpeg encoding our exact pictures, read from our full-frame movie.
        struct Case {
            const char* fourcc;
            const char* ffmpegArgs;
            const char* samePictureArgs = nullptr;
        };
        const Case cases[] = {
            {"copy", "-c:v copy"},
            {"DIB ", "-c:v rawvideo -pix_fmt bgr24"},
            {"MJPG", "-c:v mjpeg -pix_fmt yuvj420p -g 1"},
            {"FFV1", "-c:v ffv1 -pix_fmt bgr0 -g 1",
             "-c:v ffv1 -pix_fmt bgr0 -g 1 -sws_flags bilinear+full_chroma_int+accurate_rnd"},
            {"FMP4", "-c:v mpeg4 -g 1 -bf 0"},
        };
        std::printf("%d frames %dx%d at %u/1, %s\n", frames, bench::kWidth, bench::kHeight, rate,
                    "CPU seconds (wall seconds)");
        double copyCpu = 0, mjpgCpu = 0;
        for (const Case& c : cases) {
            const std::string name = std::string(c.fourcc) == "DIB " ? "DIB" : c.fourcc;
            if (!only.empty() && std::find(only.begin(), only.end(), name) == only.end())
                continue;
            const VideoCompressor* compressor = findCompressor(compressors, c.fourcc);
            if (!compressor)
                continue;
            bool okOurs = false, okTheirs = false;
            const Cost ours = exportOurs(image.get(), seq, *compressor,
                                         (folder / (name + ".avi")).string(), &okOurs);
            const Cost theirs = exportFfmpeg(folder.string(), rate, c.ffmpegArgs,
                                             (folder / (name + "-ffmpeg.avi")).string(), &okTheirs);
            std::printf("%-5s ours %7.3f (%7.3f)  ffmpeg %7.3f (%7.3f)  ratio %.2f%s\n", c.fourcc,
                        ours.cpu, ours.wall, theirs.cpu, theirs.wall, ours.cpu / theirs.cpu,
                        okOurs && okTheirs ? "" : "  (a side failed)");
            if (c.samePictureArgs) {
                const std::string same = (folder / (name + "-ffmpeg-same.avi")).string();
                const Cost close =
                    exportFfmpeg(folder.string(), rate, c.samePictureArgs, same, &okTheirs);
                const auto mb = [](const std::filesystem::path& p) {
                    std::error_code error;
                    return static_cast<double>(std::filesystem::file_size(p, error)) / 1e6;
                };
                std::printf("      ffmpeg interpolating chroma %7.3f (%7.3f)  ratio %.2f%s\n",
                            close.cpu, close.wall, ours.cpu / close.cpu,
                            okTheirs ? "" : "  (ffmpeg failed)");
                const auto dib = folder / "DIB.avi";
                if (std::filesystem::exists(dib)) {
                    const Cost exact =
                        exportFfmpeg(folder.string(), rate, c.ffmpegArgs,
                                     (folder / (name + "-ffmpeg-exact.avi")).string(), &okTheirs,
                                     "-i '" + dib.string() + "'");
                    std::printf("      ffmpeg from our full frames %7.3f (%7.3f)  ratio %.2f%s\n",
                                exact.cpu, exact.wall, ours.cpu / exact.cpu,
                                okTheirs ? "" : "  (ffmpeg failed)");
                }
                std::printf("      files: ours %.1f MB, ffmpeg %.1f MB, interpolating %.1f MB\n",
                            mb(folder / (name + ".avi")), mb(folder / (name + "-ffmpeg.avi")),
                            mb(same));
            }
            if (std::string(c.fourcc) == "copy")
                copyCpu = ours.cpu;
            if (std::string(c.fourcc) == "MJPG")
                mjpgCpu = ours.cpu;
            result |= okOurs ? 0 : 1;
        }
        if (copyCpu > 0)
            std::printf("no re-encoding is %.1fx faster than MJPG re-encoding (goal 20x)\n",
                        mjpgCpu / copyCpu);
    }
    CoUninitialize();
    std::filesystem::remove_all(folder);
    return result;
}
