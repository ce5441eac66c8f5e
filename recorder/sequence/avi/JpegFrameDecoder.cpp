#include "recorder/sequence/avi/JpegFrameDecoder.h"

#include <turbojpeg.h>

namespace {

// A warning (a frame cut short, extra bytes after it) still leaves a whole picture, as the
// image object treats it.
bool decodedWell(tjhandle handle, int result)
{
    return result == 0 || tjGetErrorCode(handle) == TJERR_WARNING;
}

} // namespace

JpegFrameDecoder::~JpegFrameDecoder()
{
    if (m_handle)
        tjDestroy(static_cast<tjhandle>(m_handle));
}

bool JpegFrameDecoder::ready()
{
    if (!m_handle)
        m_handle = tjInitDecompress();
    return m_handle != nullptr;
}

bool JpegFrameDecoder::readHeader(std::span<const std::uint8_t> jpeg, Header* header)
{
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    if (jpeg.empty() || !ready() ||
        tjDecompressHeader3(static_cast<tjhandle>(m_handle), jpeg.data(),
                            static_cast<unsigned long>(jpeg.size()), &width, &height, &subsampling,
                            &colorspace) != 0)
        return false;
    header->width = width;
    header->height = height;
    header->yuv420 = colorspace == TJCS_YCbCr && subsampling == TJSAMP_420;
    header->fourChannel = colorspace == TJCS_CMYK || colorspace == TJCS_YCCK;
    return width > 0 && height > 0;
}

bool JpegFrameDecoder::decodePacked(std::span<const std::uint8_t> jpeg, Packed format,
                                    std::uint8_t* pixels, int pitch, bool bottomUp)
{
    const int tjFormat = format == Packed::Bgr    ? TJPF_BGR
                         : format == Packed::Bgrx ? TJPF_BGRX
                                                  : TJPF_RGB;
    auto handle = static_cast<tjhandle>(m_handle);
    // Width and height 0 mean the picture's own size.
    return ready() &&
           decodedWell(handle, tjDecompress2(handle, jpeg.data(),
                                             static_cast<unsigned long>(jpeg.size()), pixels, 0,
                                             pitch, 0, tjFormat, bottomUp ? TJFLAG_BOTTOMUP : 0));
}

bool JpegFrameDecoder::decodeYuv420(std::span<const std::uint8_t> jpeg,
                                    std::uint8_t* const planes[3], const int strides[3])
{
    auto handle = static_cast<tjhandle>(m_handle);
    unsigned char* out[3] = {planes[0], planes[1], planes[2]};
    int pitches[3] = {strides[0], strides[1], strides[2]};
    return ready() &&
           decodedWell(handle, tjDecompressToYUVPlanes(handle, jpeg.data(),
                                                       static_cast<unsigned long>(jpeg.size()), out,
                                                       0, pitches, 0, 0));
}

bool JpegFrameDecoder::decodeFourChannels(std::span<const std::uint8_t> jpeg, std::uint8_t* pixels)
{
    auto handle = static_cast<tjhandle>(m_handle);
    return ready() &&
           decodedWell(handle,
                       tjDecompress2(handle, jpeg.data(), static_cast<unsigned long>(jpeg.size()),
                                     pixels, 0, 0, 0, TJPF_CMYK, TJFLAG_BOTTOMUP));
}
