// camctl avi SEQUENCE OUT [--codec FOURCC] [--list-codecs]: writes a sequence as an AVI movie
// without windows, as the viewer does. "--codec copy" (the default) writes each frame's JPEG
// bytes unchanged; any other code re-encodes with that compressor. A progress bar goes to
// standard error when it is a terminal. The last line is "wrote N frames WxH rate NUM/DEN codec
// FOURCC to PATH" (exit 0); a failure is one line on standard error (exit 1).
#include "common/ICamImageObject.h"
#include "common/MedrixClasses.h"
#include "platform/base/CommandLine.h"
#include "platform/com/Bstr.h"
#include "platform/com/ClassRegistration.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Runtime.h"
#include "platform/com/TaskMemory.h"
#include "recorder/sequence/SequenceReader.h"
#include "recorder/sequence/avi/AviStreamInfo.h"
#include "recorder/sequence/avi/AviWriter.h"
#include "recorder/sequence/avi/VideoCompressor.h"
#include "tools/camctl/CamCtlCommand.h"

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

constexpr const char* kUsage = "usage: camctl avi SEQUENCE OUT [--codec FOURCC] [--list-codecs]\n";
constexpr int kBarWidth = 40;

ComPtr<ICamImageObject> createImageObject()
{
    ComPtr<ICamImageObject> image;
    HRESULT hr = CoCreateInstance(CLSID_CamImageObject, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_ICamImageObject, image.putVoid());
    if (hr == REGDB_E_CLASSNOTREG) {
        // Not registered yet: the media library built beside this program registers itself.
        std::string folder = currentProgramPath();
        folder = folder.substr(0, folder.rfind('/'));
        registerServerLibrary(folder + "/Medrix.so", false, nullptr);
        hr = CoCreateInstance(CLSID_CamImageObject, nullptr, CLSCTX_INPROC_SERVER,
                              IID_ICamImageObject, image.putVoid());
    }
    if (FAILED(hr))
        std::fprintf(stderr, "camctl avi: the media library is not available, error 0x%08X\n",
                     static_cast<unsigned>(hr));
    return image;
}

// A decoded frame in task memory.
struct Frame {
    _CAM_BIH header{};
    BYTE* bits = nullptr;
    ~Frame() { CoTaskMemFree(bits); }
    HRESULT load(ICamImageObject* image, const std::string& path)
    {
        CoTaskMemFree(bits);
        bits = nullptr;
        DWORD size = 0;
        return image->GetDIB(Bstr(path).get(), CamDibFull, &header, &size, &bits);
    }
};

void drawProgress(std::size_t done, std::size_t total)
{
    const int filled = total ? static_cast<int>(done * kBarWidth / total) : kBarWidth;
    std::fprintf(stderr, "\r[%.*s%*s] %zu/%zu", filled, "########################################",
                 kBarWidth - filled, "", done, total);
    if (done == total)
        std::fputc('\n', stderr);
    std::fflush(stderr);
}

} // namespace

int runAvi(const std::vector<std::string>& args)
{
    std::vector<std::string> positional;
    std::string codec = "copy";
    bool list = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--list-codecs") {
            list = true;
        } else if (args[i] == "--codec" && i + 1 < args.size()) {
            codec = args[++i];
        } else if (args[i].rfind("--", 0) == 0) {
            std::fputs(kUsage, stderr);
            return kExitUsage;
        } else {
            positional.push_back(args[i]);
        }
    }
    const std::vector<VideoCompressor> compressors = availableCompressors();
    if (list) {
        for (const VideoCompressor& c : compressors)
            std::printf("%-5s %s\n", c.kind == CompressorKind::JpegCopy ? "copy" : c.fourcc.c_str(),
                        c.name.c_str());
        return kExitOk;
    }
    if (positional.size() != 2) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const std::string& sequencePath = positional[0];
    const std::string& out = positional[1];
    const VideoCompressor* compressor = findCompressor(compressors, codec);
    if (!compressor) {
        std::fprintf(stderr, "camctl avi: no compressor \"%s\" here (see --list-codecs)\n",
                     codec.c_str());
        return kExitUsage;
    }

    SequenceContents sequence = readSequence(sequencePath);
    if (!sequence.isGood() && sequence.status != SequenceStatus::NotSequence) {
        std::fprintf(stderr, "camctl avi: %s cannot be read as a sequence\n", sequencePath.c_str());
        return kExitFailed;
    }
    const std::vector<std::string>& frames = sequence.framePaths;
    if (frames.empty()) {
        std::fprintf(stderr, "camctl avi: %s holds no frames\n", sequencePath.c_str());
        return kExitFailed;
    }
    ComPtr<ICamImageObject> image = createImageObject();
    if (!image)
        return kExitFailed;

    AviStreamInfo info =
        describeAviStream(sequence.header.frameInterval, static_cast<UI4>(frames.size()));
    info.fccHandler = compressor->fourcc;
    const bool progress = ::isatty(STDERR_FILENO) == 1;
    std::unique_ptr<AviWriter> writer;
    Frame frame;
    // The first frame's bitmap gives the movie's size; every frame then goes to the writer
    // as its JPEG bytes, decoded straight into what the compressor takes.
    if (FAILED(frame.load(image.get(), frames[0]))) {
        std::fprintf(stderr, "camctl avi: frame 0 (%s) cannot be loaded; 0 frames written\n",
                     frames[0].c_str());
        return kExitFailed;
    }
    info.rcFrame = {0, 0, frame.header.biWidth, frame.header.biHeight};
    std::string error;
    if (FAILED(AviWriter::create(out, info, *compressor, {}, &writer, &error))) {
        std::fprintf(stderr, "camctl avi: %s\n", error.c_str());
        return kExitFailed;
    }
    // Frames are read, decoded and coded on the writer's workers; a failure shows at a
    // later frame, and framesWritten() then is the number of the one that failed.
    const auto failed = [&] {
        const std::size_t at = writer->framesWritten();
        const std::string& path = at < frames.size() ? frames[at] : out;
        if (writer->frameUnreadable())
            std::fprintf(stderr, "camctl avi: frame %zu (%s) cannot be loaded; %u frames written\n",
                         at, path.c_str(), writer->framesWritten());
        else
            std::fprintf(
                stderr, "camctl avi: frame %zu (%s): %s; %u frames written\n", at, path.c_str(),
                writer->lastError().empty() ? "cannot be written" : writer->lastError().c_str(),
                writer->framesWritten());
        writer->finish();
        return kExitFailed;
    };
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (FAILED(writer->queueJpegFile(frames[i])))
            return failed();
        if (progress)
            drawProgress(writer->framesWritten(), frames.size());
    }
    if (FAILED(writer->flush()))
        return failed();
    if (progress)
        drawProgress(writer->framesWritten(), frames.size());
    if (FAILED(writer->finish())) {
        std::fprintf(stderr, "camctl avi: %s\n", writer->lastError().c_str());
        return kExitFailed;
    }
    std::printf("wrote %u frames %dx%d rate %u/%u codec %s to %s\n", writer->framesWritten(),
                static_cast<int>(info.rcFrame.right), static_cast<int>(info.rcFrame.bottom),
                info.dwRate, info.dwScale, compressor->fourcc.c_str(), out.c_str());
    return kExitOk;
}
