#pragma once
// The compressors a movie can be written with here, by name and four-character code: full
// frames ("DIB "), the frames' own JPEG bytes unchanged as Motion JPEG, and every FFmpeg
// encoder of the table that this machine's libavcodec has.

#include <string>
#include <vector>

enum class CompressorKind {
    FullFrames, // 24-bit bottom-up bitmaps, as decoded
    JpegCopy,   // each frame file's JPEG bytes, no re-encoding
    Encoder,    // an FFmpeg encoder
};

struct VideoCompressor {
    CompressorKind kind = CompressorKind::FullFrames;
    std::string name;    // what the chooser shows
    std::string fourcc;  // the stream's handler code
    std::string encoder; // FFmpeg encoder name (Encoder only)
    bool hasQuality = false;
    bool hasKeyFrames = false;
};

// Settings the chooser offers where the compressor has them.
struct CompressorSettings {
    int quality = -1;      // 0 to 10000, -1 for the compressor's default
    int keyFrameEvery = 1; // every frame is written as a key frame; kept for the dialog
};

inline constexpr const char* kFullFramesName = "Full Frames (Uncompressed)";
inline constexpr const char* kJpegCopyName = "Motion JPEG (no re-encoding)";
// The pre-selected compressor's code, when this machine has one.
inline constexpr const char* kPreselectedFourcc = "IV50";

// Full frames first, then the copy path, then the encoders found, in table order.
std::vector<VideoCompressor> availableCompressors();
// By four-character code ("copy" names the no-re-encoding path); null when not available.
const VideoCompressor* findCompressor(const std::vector<VideoCompressor>& list,
                                      const std::string& fourcc);
