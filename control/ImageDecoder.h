#pragma once
// The control's JPEG decode: the media library's image object, created by class id once per
// control and fed each image, decodes at full size into the 24-bit bottom-up bitmap of the
// suite (common/CamBih.h). Used under the control's image lock, on one thread at a time.

#include "common/CamBih.h"
#include "common/ICamDataObject.h"
#include "common/ICamImageObject.h"
#include "platform/com/ComPtr.h"

#include <cstdint>

namespace pictra {

// The decoded picture. The pixels are task memory the image owns.
class DecodedImage {
public:
    DecodedImage() = default;
    ~DecodedImage();
    DecodedImage(const DecodedImage&) = delete;
    DecodedImage& operator=(const DecodedImage&) = delete;

    bool empty() const { return m_pixels == nullptr; }
    int width() const { return m_header.biWidth; }
    int height() const { return m_header.biHeight; }
    const std::uint8_t* pixels() const { return m_pixels; }
    const _CAM_BIH& header() const { return m_header; }
    void clear();

private:
    friend class ImageDecoder;
    _CAM_BIH m_header{};
    BYTE* m_pixels = nullptr;
    DWORD m_size = 0;
};

class ImageDecoder {
public:
    // Replaces image with the decoded jpeg; false (image unchanged) when the bytes do not
    // decode or the media library is not available.
    bool decode(const BYTE* jpeg, DWORD size, DecodedImage& image);

private:
    ComPtr<ICamImageObject> m_object; // made at the first decode
    ComPtr<ICamDataObject> m_data;    // the same object, to hand it the bytes
};

} // namespace pictra
