#pragma once
// The /orvel-cgi/ interface with ptz.cgi, shared by CamTarget210 (the default target) and
// CamTarget211 (the same with shorter resolution lists).

#include "client/CamTargetBase.h"
#include "client/TargetProfiles.h"

namespace lumin {

HRESULT formatOrvelVideoUrl(const CamTargetBase& state, BSTR bstrHost, BSTR bstrResolution,
                            BSTR bstrCamera, BSTR* pbstrURL);
HRESULT formatOrvelImageUrl(const CamTargetBase& state, BSTR bstrHost, BSTR bstrResolution,
                            BSTR bstrCamera, BSTR* pbstrURL);
HRESULT formatOrvelCenterUrl(const CamTargetBase& state, BSTR bstrHost, BSTR bstrCamera, INT nWidth,
                             INT nHeight, INT nLx, INT nLy, BSTR* pbstrURL);
HRESULT formatOrvelHomeUrl(const CamTargetBase& state, BSTR bstrHost, BSTR bstrCamera,
                           BSTR* pbstrURL);
HRESULT formatOrvelZoomUrl(const CamTargetBase& state, BSTR bstrHost, BSTR bstrCamera, INT nZoom,
                           BSTR* pbstrURL);

template <typename Derived, FieldResolutions kFields>
class CamTarget21x : public CamTargetImpl<Derived> {
public:
    HRESULT Init(BSTR bstrName) override
    {
        std::string name = bstrToUtf8(bstrName);
        applyProfile(this->m_state, profileForModel(name), kFields);
        this->m_state.setModelName(std::move(name));
        return S_OK;
    }
    HRESULT FormatVideoUrl(BSTR bstrHost, BSTR bstrResolution, BSTR bstrCamera,
                           BSTR* pbstrURL) override
    {
        return formatOrvelVideoUrl(this->m_state, bstrHost, bstrResolution, bstrCamera, pbstrURL);
    }
    HRESULT FormatImageUrl(BSTR bstrHost, BSTR bstrResolution, BSTR bstrCamera,
                           BSTR* pbstrURL) override
    {
        return formatOrvelImageUrl(this->m_state, bstrHost, bstrResolution, bstrCamera, pbstrURL);
    }
    HRESULT FormatCenterUrl(BSTR bstrHost, BSTR bstrCamera, INT nWidth, INT nHeight, INT nLx,
                            INT nLy, BSTR* pbstrURL) override
    {
        return formatOrvelCenterUrl(this->m_state, bstrHost, bstrCamera, nWidth, nHeight, nLx, nLy,
                                    pbstrURL);
    }
    HRESULT FormatHomeUrl(BSTR bstrHost, BSTR bstrCamera, BSTR* pbstrURL) override
    {
        return formatOrvelHomeUrl(this->m_state, bstrHost, bstrCamera, pbstrURL);
    }
    HRESULT FormatDiscreteZoomUrl(BSTR bstrHost, BSTR bstrCamera, INT nZoom,
                                  BSTR* pbstrURL) override
    {
        return formatOrvelZoomUrl(this->m_state, bstrHost, bstrCamera, nZoom, pbstrURL);
    }
};

} // namespace lumin
