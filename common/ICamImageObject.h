#pragma once
// One JPEG image as the camera sent it, decoded on demand into a 24-bit bottom-up bitmap
// (common/CamBih.h). Every call takes the object's lock and may be made on any thread.

#include "common/CamBih.h"
#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"

inline constexpr IID IID_ICamImageObject = makeGuid("{EFE11E9F-332A-11D5-B0AC-009027BD8645}");

// nType of GetDIB: reduced sizes rounded up, decoded at that scale.
enum CamDibScale : int {
    CamDibFull = 1,
    CamDibHalf = 2,
    CamDibQuarter = 4,
};

struct ICamImageObject : IUnknown {
    // Decodes at full size and stretches the whole image into *pRect (no aspect correction).
    // hDC is a drawing surface handle (platform/draw). E_INVALIDARG for a null argument,
    // E_FAIL when there is nothing decodable.
    virtual HRESULT Draw(HDC hDC, RECT* pRect) = 0;
    // Size of the last decode; decodes first when nothing was decoded yet. 0 x 0 when
    // nothing is decodable. S_OK; E_POINTER.
    virtual HRESULT GetDimension(LONG* plWidth, LONG* plHeight) = 0;
    // With a non-empty bstrPath, first replaces the bytes by that file's (E_HANDLE when it
    // cannot be opened: the object is then empty). With pBIH, decodes at nType's scale and
    // fills the header; with pdwSizeBits and ppbyBits also a copy of the pixels in task memory
    // the caller frees with CoTaskMemFree. E_FAIL when nothing is decodable, E_OUTOFMEMORY.
    virtual HRESULT GetDIB(BSTR bstrPath, int nType, _CAM_BIH* pBIH, DWORD* pdwSizeBits,
                           BYTE** ppbyBits) = 0;
    // Writes the received bytes unchanged. E_INVALIDARG, E_FAIL without bytes (no file is
    // created), E_HANDLE when the file cannot be created (*pdwWritten = 0); when not every byte
    // could be written the file is removed, *pdwWritten = 0, and the result is
    // HRESULT_FROM_WIN32(ERROR_DISK_FULL) for a full disk, E_FAIL otherwise.
    virtual HRESULT Save(BSTR bstrPath, DWORD* pdwWritten) = 0;

protected:
    ~ICamImageObject() = default;
};
template <> inline constexpr IID iidOf<ICamImageObject> = IID_ICamImageObject;
