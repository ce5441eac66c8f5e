#include "tools/camsim/JpegEncoder.h"

#include <turbojpeg.h>

namespace camsim {

std::unique_ptr<JpegEncoder> JpegEncoder::create()
{
    tjhandle handle = tjInitCompress();
    if (!handle)
        return nullptr;
    return std::unique_ptr<JpegEncoder>(new JpegEncoder(handle));
}

JpegEncoder::~JpegEncoder()
{
    tjDestroy(m_handle);
}

bool JpegEncoder::encode(const std::vector<std::uint8_t>& rgb, int width, int height, int quality,
                         std::string& out)
{
    out.clear();
    // Compress into our own buffer of the worst-case size, so TurboJPEG never reallocates.
    unsigned long capacity = tjBufSize(width, height, TJSAMP_420);
    if (m_buffer.size() < capacity)
        m_buffer.resize(capacity);
    unsigned char* data = m_buffer.data();
    unsigned long size = capacity;
    if (tjCompress2(m_handle, rgb.data(), width, 0, height, TJPF_RGB, &data, &size, TJSAMP_420,
                    quality, TJFLAG_NOREALLOC | TJFLAG_FASTDCT) != 0)
        return false;
    out.assign(reinterpret_cast<const char*>(data), size);
    return true;
}

} // namespace camsim
