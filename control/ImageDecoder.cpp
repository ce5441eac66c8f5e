#include "control/ImageDecoder.h"

#include "common/ICamDataObject.h"
#include "common/MedrixClasses.h"
#include "platform/com/Runtime.h"
#include "platform/com/TaskMemory.h"

namespace pictra {

DecodedImage::~DecodedImage()
{
    clear();
}

void DecodedImage::clear()
{
    CoTaskMemFree(m_pixels);
    m_pixels = nullptr;
    m_size = 0;
    m_header = {};
}

bool ImageDecoder::decode(const BYTE* jpeg, DWORD size, DecodedImage& image)
{
    if (!jpeg || size == 0)
        return false;
    if (!m_object) {
        if (FAILED(CoCreateInstance(CLSID_CamImageObject, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_ICamImageObject, m_object.putVoid())))
            return false;
        m_data = m_object.as<ICamDataObject>();
        if (!m_data) {
            m_object.reset();
            return false;
        }
    }
    if (FAILED(m_data->SetData(size, const_cast<BYTE*>(jpeg))))
        return false;
    _CAM_BIH header{};
    DWORD pixelBytes = 0;
    BYTE* pixels = nullptr;
    if (FAILED(m_object->GetDIB(nullptr, CamDibFull, &header, &pixelBytes, &pixels)) || !pixels)
        return false;
    CoTaskMemFree(image.m_pixels);
    image.m_pixels = pixels;
    image.m_size = pixelBytes;
    image.m_header = header;
    return true;
}

} // namespace pictra
