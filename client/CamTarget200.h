#pragma once
// Target of the .mjpg stream cameras under /cgi-bin/; no PTZ.

#include "client/CamTargetBase.h"

namespace lumin {

class CamTarget200 final : public CamTargetImpl<CamTarget200> {
public:
    LUMIN_CAMTARGET_URL_METHODS;
};

} // namespace lumin
