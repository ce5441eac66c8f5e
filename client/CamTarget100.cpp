#include "client/CamTarget100.h"

#include "client/ModelTable.h"

namespace lumin {

HRESULT CamTarget100::Init(BSTR bstrName)
{
    std::string name = bstrToUtf8(bstrName);
    m_state.addVideo({"halfsize", "fullsize"}, 1);
    m_state.addImage({"halfsize", "fullsize", "hugesize"}, 1);
    // Init compares exactly; the URL formatters below ignore case.
    if (name == kCamTarget100MultiInputModel) {
        m_state.addCameras({"1", "2", "3", "4"});
        m_state.setPtz(true);
    } else {
        m_state.addCameras({"1"});
        m_state.setPtz(false);
    }
    m_state.setModelName(std::move(name));
    return S_OK;
}

bool CamTarget100::isMultiInput() const
{
    return m_state.modelNameEquals(kCamTarget100MultiInputModel);
}

std::string CamTarget100::cameraQuery(BSTR bstrCamera) const
{
    return isMultiInput() ? "?camera=" + m_state.camera(bstrCamera) : std::string();
}

HRESULT CamTarget100::FormatVideoUrl(BSTR bstrHost, BSTR bstrResolution, BSTR bstrCamera,
                                     BSTR* pbstrURL)
{
    std::string path = "/cgi-bin/";
    if (auto r = m_state.resolution(bstrResolution, CapsList::Video))
        path += *r + (orvel::equalsIgnoringCase(*r, "halfsize") ? ".srvpushs" : ".srvpushb");
    return assignHostUrl(pbstrURL, bstrHost, path + cameraQuery(bstrCamera));
}

HRESULT CamTarget100::FormatImageUrl(BSTR bstrHost, BSTR bstrResolution, BSTR bstrCamera,
                                     BSTR* pbstrURL)
{
    std::string path = "/cgi-bin/";
    if (auto r = m_state.resolution(bstrResolution, CapsList::Image))
        path += *r + ".jpg";
    return assignHostUrl(pbstrURL, bstrHost, path + cameraQuery(bstrCamera));
}

HRESULT CamTarget100::FormatCenterUrl(BSTR bstrHost, BSTR bstrCamera, INT, INT, INT nLx, INT nLy,
                                      BSTR* pbstrURL)
{
    if (!isMultiInput())
        return E_NOTIMPL;
    return assignHostUrl(pbstrURL, bstrHost,
                         "/video.html?dummy=yes&camsecid=0&camera=" + m_state.camera(bstrCamera) +
                             "&extrem=?" + std::to_string(nLx) + "," + std::to_string(nLy));
}

HRESULT CamTarget100::FormatHomeUrl(BSTR bstrHost, BSTR bstrCamera, BSTR* pbstrURL)
{
    if (!isMultiInput())
        return E_NOTIMPL;
    return assignHostUrl(pbstrURL, bstrHost,
                         "/cgi-bin/control?camera=" + m_state.camera(bstrCamera) +
                             "&zoom=1&pan=0&tilt=0");
}

HRESULT CamTarget100::FormatDiscreteZoomUrl(BSTR bstrHost, BSTR bstrCamera, INT nZoom,
                                            BSTR* pbstrURL)
{
    if (!isMultiInput())
        return E_NOTIMPL;
    auto host = hostPiece(bstrHost);
    // These servers have no relative zoom, and an empty host is not an error here: the old
    // server's client treated both as "nothing to send".
    if (!host)
        return S_OK;
    if (nZoom == CamZoomTeleStep || nZoom == CamZoomWideStep)
        return S_FALSE;
    return assignUrl(pbstrURL, "http://" + *host + "/cgi-bin/control?camera=" +
                                   m_state.camera(bstrCamera) + cgiControlZoom(nZoom));
}

} // namespace lumin
