#include "client/CamTarget200.h"

namespace lumin {

HRESULT CamTarget200::Init(BSTR)
{
    m_state.addVideo({"video320x240", "video640x480"}, 0);
    m_state.addImage({"image320x240", "image640x480"}, 1);
    m_state.addCameras({"1"});
    m_state.setPtz(false);
    return S_OK;
}

HRESULT CamTarget200::FormatVideoUrl(BSTR bstrHost, BSTR bstrResolution, BSTR, BSTR* pbstrURL)
{
    return assignHostUrl(
        pbstrURL, bstrHost,
        "/cgi-bin/" + m_state.resolution(bstrResolution, CapsList::Video).value_or("") + ".mjpg");
}

HRESULT CamTarget200::FormatImageUrl(BSTR bstrHost, BSTR bstrResolution, BSTR, BSTR* pbstrURL)
{
    return assignHostUrl(
        pbstrURL, bstrHost,
        "/cgi-bin/" + m_state.resolution(bstrResolution, CapsList::Image).value_or("") + ".jpg");
}

} // namespace lumin
