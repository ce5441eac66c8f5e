#pragma once
// Turns one frame of a movie, a frame file's JPEG bytes or a decoded bitmap, into what the
// movie takes: the stream's packet itself for full frames and the copy path, else the picture
// its encoder is fed, and, for a coder that has an encoder of its own, that encoder's packet.
// One coder a thread: the writer has one and each of its workers another.

#include "common/CamBih.h"
#include "platform/base/Hresult.h"
#include "recorder/sequence/avi/JpegFrameDecoder.h"
#include "recorder/sequence/avi/VideoCompressor.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

// A frame file far larger than any camera image is damage, not read.
inline constexpr std::size_t kMaxJpegFrameBytes = 64u << 20;
// No sequence frame comes near this; a larger one is damage, refused before allocating.
inline constexpr int kMaxFrameSide = 16384;

// The encoder of a movie, opened alike by every coder of it, so that an encoder which codes
// each frame on its own gives the same bytes whichever coder codes the frame.
struct EncoderSetup {
    VideoCompressor compressor;
    CompressorSettings settings;
    int width = 0;
    int height = 0;
    int scale = 1; // time base scale / rate
    int rate = 1;
    bool globalHeader = false;
};

// E_INVALIDARG for an encoder this machine lacks, E_FAIL when it refuses the setup; *error
// says which in one line.
HRESULT openEncoder(const EncoderSetup& setup, AVCodecContext** encoder, std::string* error);
// What an FFmpeg error code means, in words.
std::string ffmpegError(int code);
// Reads a JPEG's frame size from its SOF marker; false when it has none.
bool jpegFrameSize(std::span<const std::uint8_t> jpeg, int* width, int* height);
// True for an encoder that carries nothing from one frame to the next here (every frame a
// key frame, no rate control), so frames may be coded by several encoders at once.
bool codesFramesAlone(const VideoCompressor& compressor);
// Sends a picture (or null at the end) and hands each packet that comes out to write, which
// returns S_OK to go on. *error says what failed.
HRESULT encodePicture(AVCodecContext* encoder, AVFrame* picture, AVPacket* packet,
                      const std::function<HRESULT(AVPacket*)>& write, std::string* error);

// What one frame became: packet holds it (coded) or picture is to be encoded.
struct CodedFrame {
    CodedFrame() = default;
    ~CodedFrame();
    CodedFrame(const CodedFrame&) = delete;
    CodedFrame& operator=(const CodedFrame&) = delete;

    AVPacket* packet = nullptr;
    AVFrame* picture = nullptr;
    bool coded = false;
};

class FrameCoder {
public:
    // pictureFormat: the encoder's pixel format (ignored for full frames and the copy path).
    // ownEncoder, when given, is taken over: this coder then encodes its pictures itself.
    FrameCoder(const EncoderSetup& setup, int pictureFormat, AVCodecContext* ownEncoder);
    ~FrameCoder();
    FrameCoder(const FrameCoder&) = delete;
    FrameCoder& operator=(const FrameCoder&) = delete;

    // Frame number index from its JPEG bytes: unchanged with the standard Huffman tables
    // inserted where missing (copy path), decoded straight into what the encoder takes, or
    // through a bitmap where it cannot go straight in. E_INVALIDARG (copy path) or E_FAIL.
    HRESULT codeJpeg(std::span<const std::uint8_t> jpeg, unsigned index, CodedFrame& out);
    // Frame index from a regular file of at most kMaxJpegFrameBytes.
    HRESULT codeJpegFile(const std::string& path, unsigned index, CodedFrame& out);
    // Frame index from a bitmap (not for the copy path); scaled when of another size.
    HRESULT codeBitmap(const _CAM_BIH& header, const std::uint8_t* bits, unsigned index,
                       CodedFrame& out);

    const std::string& error() const { return m_error; }
    // The last failure was the frame's: it could not be read or decoded.
    bool unreadable() const { return m_unreadable; }

private:
    HRESULT fail(HRESULT hr, std::string what, bool unreadable = false);
    HRESULT undecodable(unsigned index);
    bool newPacket(CodedFrame& out, std::size_t size);
    AVFrame* writablePicture(CodedFrame& out);
    // The picture in out encoded by the own encoder, or left for the writer's.
    HRESULT finishPicture(unsigned index, AVFrame* picture, CodedFrame& out);

    EncoderSetup m_setup;
    int m_pictureFormat;
    AVCodecContext* m_encoder;
    AVFrame* m_picture = nullptr; // the own encoder's
    SwsContext* m_scaler = nullptr;
    JpegFrameDecoder m_decoder;
    std::vector<std::uint8_t> m_dib;     // a scaled full frame
    std::vector<std::uint8_t> m_decoded; // a frame file's bitmap, where it cannot go straight in
    std::string m_fileBytes;             // the frame file being coded, kept for the next
    std::string m_error;
    bool m_unreadable = false;
};
