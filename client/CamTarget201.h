#pragma once
// Target of the video.cgi/image.cgi servers under /cgi-bin/; no PTZ.

#include "client/CamTargetBase.h"

namespace lumin {

class CamTarget201 final : public CamTargetImpl<CamTarget201> {
public:
    LUMIN_CAMTARGET_URL_METHODS;

private:
    HRESULT formatCgiUrl(BSTR bstrHost, const char* script, BSTR bstrResolution, BSTR bstrCamera,
                         CapsList list, BSTR* pbstrURL) const;
};

} // namespace lumin
