#include "client/CamTarget201.h"

namespace lumin {

HRESULT CamTarget201::Init(BSTR)
{
    m_state.addVideo({"352x288 (PAL)", "704x576 (PAL)", "352x240 (NTSC)", "704x480 (NTSC)"}, 0);
    m_state.addImage({"352x288 (PAL)", "704x576 (PAL)", "352x240 (NTSC)", "704x480 (NTSC)"}, 1);
    m_state.addCameras({"1"});
    m_state.setPtz(false);
    return S_OK;
}

HRESULT CamTarget201::formatCgiUrl(BSTR bstrHost, const char* script, BSTR bstrResolution,
                                   BSTR bstrCamera, CapsList list, BSTR* pbstrURL) const
{
    return assignHostUrl(pbstrURL, bstrHost,
                         std::string("/cgi-bin/") + script + "?resolution=" +
                             m_state.resolution(bstrResolution, list).value_or("") +
                             "&camera=" + m_state.camera(bstrCamera));
}

HRESULT CamTarget201::FormatVideoUrl(BSTR bstrHost, BSTR bstrResolution, BSTR bstrCamera,
                                     BSTR* pbstrURL)
{
    return formatCgiUrl(bstrHost, "mjpg/video.cgi", bstrResolution, bstrCamera, CapsList::Video,
                        pbstrURL);
}

HRESULT CamTarget201::FormatImageUrl(BSTR bstrHost, BSTR bstrResolution, BSTR bstrCamera,
                                     BSTR* pbstrURL)
{
    return formatCgiUrl(bstrHost, "jpg/image.cgi", bstrResolution, bstrCamera, CapsList::Image,
                        pbstrURL);
}

} // namespace lumin
