#pragma once
// State and behaviour every camera target shares: the capability lists the profiles fill, the
// GetCaps block, the resolution and camera pieces of URLs, and the CamTargetImpl template that
// gives each target class its IUnknown and the methods no target implements.

#include "client/ModuleState.h"
#include "common/ICamTarget.h"
#include "platform/base/AsciiCase.h"
#include "platform/com/UnknownImpl.h"

#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace lumin {

enum class CapsList { Video, Image };

class CamTargetBase {
public:
    // Appends entries to a list (Init may run twice and then appends again).
    void addVideo(std::span<const char* const> entries, int defaultIndex);
    void addImage(std::span<const char* const> entries, int defaultIndex);
    void addCameras(std::span<const char* const> entries);
    void addVideo(std::initializer_list<const char*> entries, int defaultIndex)
    {
        addVideo(std::span(entries.begin(), entries.size()), defaultIndex);
    }
    void addImage(std::initializer_list<const char*> entries, int defaultIndex)
    {
        addImage(std::span(entries.begin(), entries.size()), defaultIndex);
    }
    void addCameras(std::initializer_list<const char*> entries)
    {
        addCameras(std::span(entries.begin(), entries.size()));
    }
    void setPtz(bool ptz) { m_ptz = ptz; }
    void setModelName(std::string name) { m_modelName = std::move(name); }

    const std::string& modelName() const { return m_modelName; }
    bool modelNameEquals(std::string_view name) const; // ignoring case

    HRESULT getCaps(INT nFlag, INT* pnSize, BSTR** ppbstrCaps, INT* pnDefault) const;

    // The R piece: the caller's resolution, else the list's default entry, cut at "(" and
    // trimmed; nullopt when neither exists.
    std::optional<std::string> resolution(BSTR requested, CapsList list) const;
    // The CAM piece: the caller's camera, else the default camera, else empty.
    std::string camera(BSTR requested) const;

private:
    std::vector<std::string> m_video;
    std::vector<std::string> m_image;
    std::vector<std::string> m_cameras;
    int m_videoDefault = 0;
    int m_imageDefault = 0;
    int m_cameraDefault = 0;
    bool m_ptz = false;
    std::string m_modelName; // kept by the targets whose URLs depend on the model
};

// The host piece; nullopt for a null or empty host.
std::optional<std::string> hostPiece(BSTR bstrHost);
// Replaces *pbstrURL with url by reallocation. \retval S_OK, E_FAIL (null or out of memory)
HRESULT assignUrl(BSTR* pbstrURL, const std::string& url);
// Assigns "http://<host>" + path. \retval S_OK, E_FAIL (no host, null, or out of memory)
HRESULT assignHostUrl(BSTR* pbstrURL, BSTR bstrHost, const std::string& path);
// The zoom piece of a /cgi-bin/control URL for a CamZoom code: "&zoom=1", "&zoom=999",
// "&zoomrel=tele", "&zoomrel=wide", or empty for an unknown code.
const char* cgiControlZoom(INT nZoom);
// A resolution as the camera takes it: cut at the first "(" and stripped of white space.
std::string trimResolution(std::string_view text);

// What each target class declares: Init and the two formatters every target implements, and the
// three camera-control formatters of the targets with PTZ.
#define LUMIN_CAMTARGET_URL_METHODS                                                                \
    HRESULT Init(BSTR bstrName) override;                                                          \
    HRESULT FormatVideoUrl(BSTR bstrHost, BSTR bstrResolution, BSTR bstrCamera, BSTR* pbstrURL)    \
        override;                                                                                  \
    HRESULT FormatImageUrl(BSTR bstrHost, BSTR bstrResolution, BSTR bstrCamera, BSTR* pbstrURL)    \
        override
#define LUMIN_CAMTARGET_PTZ_METHODS                                                                \
    HRESULT FormatCenterUrl(BSTR bstrHost, BSTR bstrCamera, INT nWidth, INT nHeight, INT nLx,      \
                            INT nLy, BSTR* pbstrURL) override;                                     \
    HRESULT FormatHomeUrl(BSTR bstrHost, BSTR bstrCamera, BSTR* pbstrURL) override;                \
    HRESULT FormatDiscreteZoomUrl(BSTR bstrHost, BSTR bstrCamera, INT nZoom, BSTR* pbstrURL)       \
        override

template <typename Derived> class CamTargetImpl : public UnknownImpl<Derived, ICamTarget> {
public:
    HRESULT DynamicInit(BSTR) override { return E_NOTIMPL; }
    HRESULT GetCaps(INT nFlag, INT* pnSize, BSTR** ppbstrCaps, INT* pnDefault) override
    {
        return m_state.getCaps(nFlag, pnSize, ppbstrCaps, pnDefault);
    }
    HRESULT FormatSoundUrl(BSTR, BSTR*) override { return E_NOTIMPL; }
    HRESULT FormatCenterUrl(BSTR, BSTR, INT, INT, INT, INT, BSTR*) override { return E_NOTIMPL; }
    HRESULT FormatHomeUrl(BSTR, BSTR, BSTR*) override { return E_NOTIMPL; }
    HRESULT FormatDiscreteZoomUrl(BSTR, BSTR, INT, BSTR*) override { return E_NOTIMPL; }

protected:
    CamTargetImpl() : UnknownImpl<Derived, ICamTarget>(&moduleLiveCount()) {}

    CamTargetBase m_state;
};

} // namespace lumin
