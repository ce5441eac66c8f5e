#pragma once
// Decodes a frame file's JPEG straight into what the movie's compressor takes: the full
// frame's 24-bit bottom-up bitmap, a packed BGR/BGRX/RGB picture, or the 4:2:0 planes of a
// 4:2:0 JPEG without any colour conversion. One decoder instance, made on first use, serves
// every frame of a movie.

#include <cstdint>
#include <span>

class JpegFrameDecoder {
public:
    enum class Packed { Bgr, Bgrx, Rgb };
    struct Header {
        int width = 0;
        int height = 0;
        bool yuv420 = false;      // YCbCr with 2 x 2 chroma subsampling
        bool fourChannel = false; // CMYK or YCCK
    };

    JpegFrameDecoder() = default;
    ~JpegFrameDecoder();
    JpegFrameDecoder(const JpegFrameDecoder&) = delete;
    JpegFrameDecoder& operator=(const JpegFrameDecoder&) = delete;

    // False when the bytes hold no JPEG header this decoder reads.
    bool readHeader(std::span<const std::uint8_t> jpeg, Header* header);
    // The picture at its own size, rows of pitch bytes; the last row first when bottomUp.
    // Not for four-channel JPEGs.
    bool decodePacked(std::span<const std::uint8_t> jpeg, Packed format, std::uint8_t* pixels,
                      int pitch, bool bottomUp);
    // A 4:2:0 YCbCr JPEG's own planes (full range), Y then Cb then Cr.
    bool decodeYuv420(std::span<const std::uint8_t> jpeg, std::uint8_t* const planes[3],
                      const int strides[3]);

    // A four-channel JPEG's channels as stored, 4 bytes a pixel, last row first.
    bool decodeFourChannels(std::span<const std::uint8_t> jpeg, std::uint8_t* pixels);

private:
    bool ready();
    void* m_handle = nullptr;
};
