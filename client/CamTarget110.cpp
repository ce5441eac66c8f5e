#include "client/CamTarget110.h"

#include "client/ModelTable.h"

namespace lumin {

HRESULT CamTarget110::Init(BSTR bstrName)
{
    std::string name = bstrToUtf8(bstrName);
    m_state.addVideo({"halfsize", "fullsize", "hugesize"}, 1);
    m_state.addImage({"halfsize", "fullsize", "hugesize"}, 2);
    if (name == kCamTarget110SingleInputModel)
        m_state.addCameras({"1"});
    else
        m_state.addCameras({"1", "2", "3", "4"});
    m_state.setPtz(true);
    return S_OK;
}

HRESULT CamTarget110::formatJpegUrl(BSTR bstrHost, BSTR bstrResolution, BSTR bstrCamera,
                                    CapsList list, BSTR* pbstrURL) const
{
    return assignHostUrl(pbstrURL, bstrHost,
                         "/cgi-bin/" + m_state.resolution(bstrResolution, list).value_or("") +
                             ".jpg?camera=" + m_state.camera(bstrCamera) + "&motion=0");
}

std::string CamTarget110::controlPath(BSTR bstrCamera) const
{
    return "/cgi-bin/control?speed=777&camera=" + m_state.camera(bstrCamera);
}

HRESULT CamTarget110::FormatVideoUrl(BSTR bstrHost, BSTR bstrResolution, BSTR bstrCamera,
                                     BSTR* pbstrURL)
{
    return formatJpegUrl(bstrHost, bstrResolution, bstrCamera, CapsList::Video, pbstrURL);
}

HRESULT CamTarget110::FormatImageUrl(BSTR bstrHost, BSTR bstrResolution, BSTR bstrCamera,
                                     BSTR* pbstrURL)
{
    return formatJpegUrl(bstrHost, bstrResolution, bstrCamera, CapsList::Image, pbstrURL);
}

HRESULT CamTarget110::FormatCenterUrl(BSTR bstrHost, BSTR bstrCamera, INT nWidth, INT nHeight,
                                      INT nLx, INT nLy, BSTR* pbstrURL)
{
    return assignHostUrl(pbstrURL, bstrHost,
                         controlPath(bstrCamera) + "&imagewidth=" + std::to_string(nWidth) +
                             "&imageheight=" + std::to_string(nHeight) + "&extrem=?" +
                             std::to_string(nLx) + "," + std::to_string(nLy));
}

HRESULT CamTarget110::FormatHomeUrl(BSTR bstrHost, BSTR bstrCamera, BSTR* pbstrURL)
{
    return assignHostUrl(pbstrURL, bstrHost, controlPath(bstrCamera) + "&zoom=1&pan=0&tilt=0");
}

HRESULT CamTarget110::FormatDiscreteZoomUrl(BSTR bstrHost, BSTR bstrCamera, INT nZoom,
                                            BSTR* pbstrURL)
{
    return assignHostUrl(pbstrURL, bstrHost, controlPath(bstrCamera) + cgiControlZoom(nZoom));
}

} // namespace lumin
