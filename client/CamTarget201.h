#pragma once
// Target of the video.cgi/image.cgi servers under /cgi-bin/; no PTZ.

#include "client/CamTargetBase.h"

namespace lumin {

class CamTarget201 final : public CamTargetImpl<CamTarget201> {
public:
    HRESULT Init(BSTR bstrName) override;
    HRESULT FormatVideoUrl(BSTR bstrHost, BSTR bstrResolution, BSTR bstrCamera,
                           BSTR* pbstrURL) override;
    HRESULT FormatImageUrl(BSTR bstrHost, BSTR bstrResolution, BSTR bstrCamera,
                           BSTR* pbstrURL) override;
};

} // namespace lumin
