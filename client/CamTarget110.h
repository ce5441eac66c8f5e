#pragma once
// Target of the JPEG-page cameras and servers under /cgi-bin/ with a camera parameter; PTZ
// through /cgi-bin/control at speed 777.

#include "client/CamTargetBase.h"

namespace lumin {

class CamTarget110 final : public CamTargetImpl<CamTarget110> {
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
    HRESULT formatJpegUrl(BSTR bstrHost, BSTR bstrResolution, BSTR bstrCamera, CapsList list,
                          BSTR* pbstrURL) const;
};

} // namespace lumin
