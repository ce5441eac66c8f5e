#pragma once
// Target of the oldest servers: server-push streams under /cgi-bin/ and PTZ through
// /cgi-bin/control, the latter only on the four-input server model.

#include "client/CamTargetBase.h"

namespace lumin {

class CamTarget100 final : public CamTargetImpl<CamTarget100> {
public:
    HRESULT Init(BSTR bstrName) override;
    HRESULT FormatVideoUrl(BSTR bstrHost, BSTR bstrResolution, BSTR bstrCamera,
                           BSTR* pbstrURL) override;
    HRESULT FormatImageUrl(BSTR bstrHost, BSTR bstrResolution, BSTR bstrCamera,
                           BSTR* pbstrURL) override;
    HRESULT FormatCenterUrl(BSTR bstrHost, BSTR bstrCamera, INT nWidth, INT nHeight, INT nLx,
                            INT nLy, BSTR* pbstrURL) override;
    HRESULT FormatHomeUrl(BSTR bstrHost, BSTR bstrCamera, BSTR* pbstrURL) override;
    HRESULT FormatDiscreteZoomUrl(BSTR bstrHost, BSTR bstrCamera, INT nZoom,
                                  BSTR* pbstrURL) override;

private:
    bool isMultiInput() const;
    // "?camera=N" on the multi-input server, nothing elsewhere.
    std::string cameraQuery(BSTR bstrCamera) const;
};

} // namespace lumin
