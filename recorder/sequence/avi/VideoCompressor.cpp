#include "recorder/sequence/avi/VideoCompressor.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {
struct EncoderEntry {
    const char* fourcc;
    const char* name;
    const char* encoder;
    bool quality;
};

// Codes as players know them in AVI files.
constexpr EncoderEntry kEncoders[] = {
    {"MJPG", "Motion JPEG", "mjpeg", true},   {"FFV1", "FFV1 lossless", "ffv1", false},
    {"FMP4", "MPEG-4 Part 2", "mpeg4", true}, {"XVID", "Xvid MPEG-4", "libxvid", true},
    {"H264", "H.264", "libx264", true},       {"HFYU", "Huffyuv lossless", "huffyuv", false},
    {"MSVC", "Video 1", "msvideo1", false},   {"CVID", "Cinepak", "cinepak", false},
};
} // namespace

std::vector<VideoCompressor> availableCompressors()
{
    std::vector<VideoCompressor> list;
    list.push_back({CompressorKind::FullFrames, kFullFramesName, "DIB ", {}, false, false});
    list.push_back({CompressorKind::JpegCopy, kJpegCopyName, "MJPG", {}, false, false});
    for (const EncoderEntry& e : kEncoders) {
        if (avcodec_find_encoder_by_name(e.encoder))
            list.push_back({CompressorKind::Encoder, e.name, e.fourcc, e.encoder, e.quality, true});
    }
    return list;
}

const VideoCompressor* findCompressor(const std::vector<VideoCompressor>& list,
                                      const std::string& fourcc)
{
    for (const VideoCompressor& c : list) {
        if (fourcc == "copy" ? c.kind == CompressorKind::JpegCopy
                             : c.kind != CompressorKind::JpegCopy && c.fourcc == fourcc)
            return &c;
    }
    return nullptr;
}
