#include "media/DibDecoder.h"

#include "media/DebugTrace.h"

#include <cstring>
#include <new>
#include <turbojpeg.h>

namespace medrix {

namespace {

// A warning (a frame cut short, extra bytes after it) still leaves a whole picture.
bool decodedWell(tjhandle handle, int result)
{
    return result == 0 || tjGetErrorCode(handle) == TJERR_WARNING;
}

// A frame header may claim up to 65535 x 65535 pixels; no camera sends more than this, and a
// forged header must not make the object reserve gigabytes.
constexpr long long kMaxPixels = 64LL * 1024 * 1024;

int scaledSize(int size, int nType)
{
    if (nType == 2)
        return (size + 1) / 2;
    if (nType == 4)
        return (size + 3) / 4;
    return size;
}

} // namespace

DibDecoder::~DibDecoder()
{
    if (m_handle && tjDestroy(static_cast<tjhandle>(m_handle)) != 0)
        debugTrace("Cannot free the JPEG decoder\n");
}

bool DibDecoder::ensureCapacity(std::size_t bytes, _CAM_BIH& bih)
{
    if (bytes == 0)
        return false;
    if (m_capacity < bytes) {
        m_pixels.reset();
        m_capacity = 0;
        bih.biSizeImage = 0;
        m_pixels.reset(new (std::nothrow) std::uint8_t[bytes]);
        if (!m_pixels)
            return false;
        m_capacity = bytes;
    }
    bih.biSizeImage = static_cast<UI4>(bytes);
    return true;
}

bool DibDecoder::readHeader(const std::uint8_t* jpeg, std::size_t size, int* width, int* height,
                            int* colorspace)
{
    if (!jpeg || size == 0)
        return false;
    // One decoder instance per object, kept across frames: creating one per frame costs a
    // measurable share of a small frame's decode.
    if (!m_handle)
        m_handle = tjInitDecompress();
    if (!m_handle) {
        debugTrace("Cannot initialize the JPEG decoder\n");
        return false;
    }
    int subsampling = 0;
    if (tjDecompressHeader3(static_cast<tjhandle>(m_handle), jpeg, static_cast<unsigned long>(size),
                            width, height, &subsampling, colorspace) != 0 ||
        *width <= 0 || *height <= 0 || static_cast<long long>(*width) * *height > kMaxPixels) {
        debugTrace("Cannot read JPEG file header\n");
        return false;
    }
    return true;
}

bool DibDecoder::decode(const std::uint8_t* jpeg, std::size_t size, int nType, _CAM_BIH& bih)
{
    int width = 0, height = 0, colorspace = 0;
    return readHeader(jpeg, size, &width, &height, &colorspace) &&
           decodeAt(jpeg, size, colorspace, scaledSize(width, nType), scaledSize(height, nType), 3,
                    bih);
}

bool DibDecoder::decodeAtLeast(const std::uint8_t* jpeg, std::size_t size, int targetWidth,
                               int targetHeight, _CAM_BIH& bih, int* fullWidth, int* fullHeight)
{
    int width = 0, height = 0, colorspace = 0;
    if (!readHeader(jpeg, size, &width, &height, &colorspace))
        return false;
    *fullWidth = width;
    *fullHeight = height;
    // The decoder's other eighths (7/8, 3/4, 5/8, 3/8) run without its SIMD paths and cost more
    // than the next larger power of two, a full decode included.
    int divisor = 1;
    for (int next : {2, 4, 8}) {
        int w = (width + next - 1) / next, h = (height + next - 1) / next;
        if (w < targetWidth || h < targetHeight)
            break;
        divisor = next;
    }
    return decodeAt(jpeg, size, colorspace, (width + divisor - 1) / divisor,
                    (height + divisor - 1) / divisor, 4, bih);
}

bool DibDecoder::decodeAt(const std::uint8_t* jpeg, std::size_t size, int colorspace, int outWidth,
                          int outHeight, int bytesPerPixel, _CAM_BIH& bih)
{
    auto handle = static_cast<tjhandle>(m_handle);
    const UI4 stride = bytesPerPixel == 4 ? static_cast<UI4>(outWidth) * 4 : camBihStride(outWidth);
    if (!ensureCapacity(static_cast<std::size_t>(stride) * static_cast<std::size_t>(outHeight),
                        bih))
        return false;

    bool ok;
    if (colorspace == TJCS_CMYK || colorspace == TJCS_YCCK) {
        ok = decodeChannelsPassedThrough(jpeg, size, outWidth, outHeight, bytesPerPixel, stride);
    } else {
        // Grey and colour sources both come out as BGR; the bottom-up flag stores the last row
        // first, as the bitmap wants.
        ok = decodedWell(handle, tjDecompress2(handle, jpeg, static_cast<unsigned long>(size),
                                               m_pixels.get(), outWidth, static_cast<int>(stride),
                                               outHeight, bytesPerPixel == 4 ? TJPF_BGRX : TJPF_BGR,
                                               TJFLAG_BOTTOMUP));
    }
    if (!ok) {
        debugTrace("Cannot read image data from buffer\n");
        return false;
    }

    // The decoder leaves the row padding alone; the bitmap wants zeros there.
    const std::size_t rowBytes = static_cast<std::size_t>(outWidth) * bytesPerPixel;
    if (stride > rowBytes) {
        for (int y = 0; y < outHeight; ++y)
            std::memset(m_pixels.get() + static_cast<std::size_t>(y) * stride + rowBytes, 0,
                        stride - rowBytes);
    }
    bih.biWidth = outWidth;
    bih.biHeight = outHeight;
    bih.biBitCount = static_cast<WORD>(bytesPerPixel * 8);
    return true;
}

// Sources of four channels are not converted: their first three channels are stored as they
// are, as the bitmap's three bytes per pixel.
bool DibDecoder::decodeChannelsPassedThrough(const std::uint8_t* jpeg, std::size_t size, int width,
                                             int height, int bytesPerPixel, UI4 stride)
{
    const std::size_t needed = static_cast<std::size_t>(width) * 4 * height;
    if (m_scratchCapacity < needed) {
        m_scratch.reset(new (std::nothrow) std::uint8_t[needed]);
        m_scratchCapacity = m_scratch ? needed : 0;
        if (!m_scratch)
            return false;
    }
    auto handle = static_cast<tjhandle>(m_handle);
    if (!decodedWell(handle,
                     tjDecompress2(handle, jpeg, static_cast<unsigned long>(size), m_scratch.get(),
                                   width, width * 4, height, TJPF_CMYK, TJFLAG_BOTTOMUP)))
        return false;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = m_scratch.get() + static_cast<std::size_t>(y) * width * 4;
        std::uint8_t* out = m_pixels.get() + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < width; ++x, in += 4, out += bytesPerPixel) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            if (bytesPerPixel == 4)
                out[3] = 0xff;
        }
    }
    return true;
}

} // namespace medrix
