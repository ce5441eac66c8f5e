#pragma once
// Target of the oldest servers: server-push streams under /cgi-bin/ and PTZ through
// /cgi-bin/control, the latter only on the four-input server model.

#include "client/CamTargetBase.h"

namespace lumin {

class CamTarget100 final : public CamTargetImpl<CamTarget100> {
public:
    LUMIN_CAMTARGET_URL_METHODS;
    LUMIN_CAMTARGET_PTZ_METHODS;

private:
    bool isMultiInput() const;
    // "?camera=N" on the multi-input server, nothing elsewhere.
    std::string cameraQuery(BSTR bstrCamera) const;
};

} // namespace lumin
