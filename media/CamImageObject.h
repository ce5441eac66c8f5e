#pragma once
// One JPEG image as the camera sent it: the data-object store plus the decoded bitmap.
// Every operation takes the store's lock, which also guards m_bih and the decoder.

#include "common/ICamImageObject.h"
#include "media/DataObjectImpl.h"
#include "media/DibDecoder.h"

namespace medrix {

class CamImageObject final : public DataObjectImpl<CamImageObject, ICamImageObject> {
public:
    static HRESULT create(IUnknown* outer, REFIID riid, void** ppv)
    {
        return createInstance(outer, riid, ppv);
    }

    CamImageObject();

    HRESULT Draw(HDC hDC, RECT* pRect) override;
    HRESULT GetDimension(LONG* plWidth, LONG* plHeight) override;
    HRESULT GetDIB(BSTR bstrPath, int nType, _CAM_BIH* pBIH, DWORD* pdwSizeBits,
                   BYTE** ppbyBits) override;
    HRESULT Save(BSTR bstrPath, DWORD* pdwWritten) override;

private:
    ~CamImageObject() override = default;

    // Call with the lock held.
    bool decode(int nType);
    HRESULT loadFile(const std::string& path);

    _CAM_BIH m_bih;
    DibDecoder m_decoder;
};

} // namespace medrix
