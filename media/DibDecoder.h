#pragma once
// JPEG to the 24-bit bitmap of an image object: BGR, bottom-up, rows padded with zeros to a
// multiple of 4, at full, half or quarter scale from the decoder's own scaled decoding (sizes
// rounded up). The pixel buffer only grows, so a stream of equal frames allocates once.
// Not thread-safe: the owning object's lock guards it.

#include "common/CamBih.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace medrix {

class DibDecoder {
public:
    DibDecoder() = default;
    DibDecoder(const DibDecoder&) = delete;
    DibDecoder& operator=(const DibDecoder&) = delete;
    ~DibDecoder();

    // Decodes at the scale nType selects (2: half, 4: quarter, else full). On success
    // biWidth, biHeight and biSizeImage describe the pixels; on failure biWidth and biHeight
    // keep their values. Failures go to the debug trace.
    bool decode(const std::uint8_t* jpeg, std::size_t size, int nType, _CAM_BIH& bih);

    // For drawing into a target: decodes at the smallest of the decoder's fast scales (1/1,
    // 1/2, 1/4, 1/8) whose size is still at least targetWidth x targetHeight, so the stretch
    // that follows only shrinks a little or copies. The pixels are four bytes each (B, G, R,
    // 0xff), still bottom-up, which the stretch reads fastest; bih says 32 bits.
    // *fullWidth and *fullHeight get the frame's own size. Results as decode.
    bool decodeAtLeast(const std::uint8_t* jpeg, std::size_t size, int targetWidth,
                       int targetHeight, _CAM_BIH& bih, int* fullWidth, int* fullHeight);

    // Null until a decode has allocated it.
    const std::uint8_t* pixels() const { return m_pixels.get(); }
    std::size_t capacity() const { return m_capacity; }

private:
    bool readHeader(const std::uint8_t* jpeg, std::size_t size, int* width, int* height,
                    int* colorspace);
    bool decodeAt(const std::uint8_t* jpeg, std::size_t size, int colorspace, int outWidth,
                  int outHeight, int bytesPerPixel, _CAM_BIH& bih);
    bool ensureCapacity(std::size_t bytes, _CAM_BIH& bih);
    bool decodeChannelsPassedThrough(const std::uint8_t* jpeg, std::size_t size, int width,
                                     int height, int bytesPerPixel, UI4 stride);

    void* m_handle = nullptr; // the decoder instance, made on first use
    std::unique_ptr<std::uint8_t[]> m_pixels;
    std::size_t m_capacity = 0;
    // Four-channel sources are decoded here first; grows like the pixel buffer.
    std::unique_ptr<std::uint8_t[]> m_scratch;
    std::size_t m_scratchCapacity = 0;
};

} // namespace medrix
