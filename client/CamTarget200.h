#pragma once
// Target of the .mjpg stream cameras under /cgi-bin/; no PTZ.

#include "client/CamTargetBase.h"

namespace lumin {

class CamTarget200 final : public CamTargetImpl<CamTarget200> {
public:
    HRESULT Init(BSTR bstrName) override;
    HRESULT FormatVideoUrl(BSTR bstrHost, BSTR bstrResolution, BSTR bstrCamera,
                           BSTR* pbstrURL) override;
    HRESULT FormatImageUrl(BSTR bstrHost, BSTR bstrResolution, BSTR bstrCamera,
                           BSTR* pbstrURL) override;
};

} // namespace lumin
