#pragma once
// Target of the JPEG-page cameras and servers under /cgi-bin/ with a camera parameter; PTZ
// through /cgi-bin/control at speed 777.

#include "client/CamTargetBase.h"

namespace lumin {

class CamTarget110 final : public CamTargetImpl<CamTarget110> {
public:
    LUMIN_CAMTARGET_URL_METHODS;
    LUMIN_CAMTARGET_PTZ_METHODS;

private:
    HRESULT formatJpegUrl(BSTR bstrHost, BSTR bstrResolution, BSTR bstrCamera, CapsList list,
                          BSTR* pbstrURL) const;
    // "/cgi-bin/control?speed=777&camera=N", which every PTZ URL starts with.
    std::string controlPath(BSTR bstrCamera) const;
};

} // namespace lumin
