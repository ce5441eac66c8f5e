#pragma once
// A camera target: knows how one camera generation names its HTTP resources and what the
// camera offers. Obtained from ICamIdentifyTarget or created by class id (common/LuminClasses.h).
//
// URL out-parameters are replaced with SysReAllocString: *pbstrURL holds null or a valid BSTR
// on entry. All methods are called on one thread at a time (apartment objects).

#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"

inline constexpr IID IID_ICamTarget = makeGuid("{134D21E5-1EBC-11D5-B0AB-009027BD8645}");

// nFlag of GetCaps.
enum CamCaps : INT {
    CamCapsVideoResolutions = 0,
    CamCapsImageResolutions = 1,
    CamCapsCameras = 2,
    CamCapsPtz = 3,
};

// nZoom of FormatDiscreteZoomUrl.
enum CamZoom : INT {
    CamZoomWideEnd = 0,
    CamZoomTeleEnd = 1,
    CamZoomTeleStep = 2,
    CamZoomWideStep = 3,
};

struct ICamTarget : IUnknown {
    // Builds the lists, defaults and PTZ flag from the model name (null counts as empty).
    // \retval S_OK always; a second call appends to the lists again.
    virtual HRESULT Init(BSTR bstrName) = 0;
    // \retval E_NOTIMPL in every shipped target.
    virtual HRESULT DynamicInit(BSTR bstrHost) = 0;
    // Flags 0-2: *pnSize strings in one CoTaskMemAlloc block at *ppbstrCaps, each a BSTR; the
    // caller frees each with SysFreeString and the block with CoTaskMemFree. Flag 3 touches no
    // out-pointer.
    // \retval S_OK, S_FALSE (flag 3: no PTZ), E_INVALIDARG (null out-pointer, flags other than 3)
    virtual HRESULT GetCaps(INT nFlag, INT* pnSize, BSTR** ppbstrCaps, INT* pnDefault) = 0;
    // \retval S_OK, E_FAIL (null or empty host, out of memory)
    virtual HRESULT FormatVideoUrl(BSTR bstrHost, BSTR bstrResolution, BSTR bstrCamera,
                                   BSTR* pbstrURL) = 0;
    // \retval S_OK, E_FAIL (null or empty host, out of memory)
    virtual HRESULT FormatImageUrl(BSTR bstrHost, BSTR bstrResolution, BSTR bstrCamera,
                                   BSTR* pbstrURL) = 0;
    // \retval E_NOTIMPL in every shipped target.
    virtual HRESULT FormatSoundUrl(BSTR bstrHost, BSTR* pbstrURL) = 0;
    // Centres on (nLx, nLy) of an image shown nWidth x nHeight.
    // \retval S_OK, E_FAIL (empty host), E_NOTIMPL (no PTZ interface)
    virtual HRESULT FormatCenterUrl(BSTR bstrHost, BSTR bstrCamera, INT nWidth, INT nHeight,
                                    INT nLx, INT nLy, BSTR* pbstrURL) = 0;
    // \retval S_OK, E_FAIL (empty host), E_NOTIMPL (no PTZ interface)
    virtual HRESULT FormatHomeUrl(BSTR bstrHost, BSTR bstrCamera, BSTR* pbstrURL) = 0;
    // nZoom is a CamZoom code.
    // \retval S_OK, S_FALSE (no such step: output untouched), E_FAIL, E_NOTIMPL
    virtual HRESULT FormatDiscreteZoomUrl(BSTR bstrHost, BSTR bstrCamera, INT nZoom,
                                          BSTR* pbstrURL) = 0;

protected:
    ~ICamTarget() = default;
};
template <> inline constexpr IID iidOf<ICamTarget> = IID_ICamTarget;
