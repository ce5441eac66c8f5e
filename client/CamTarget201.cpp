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

HRESULT CamTarget201::FormatVideoUrl(BSTR bstrHost, BSTR bstrResolution, BSTR bstrCamera,
                                     BSTR* pbstrURL)
{
    auto host = hostPiece(bstrHost);
    if (!host)
        return E_FAIL;
    return assignUrl(pbstrURL,
                     "http://" + *host + "/cgi-bin/mjpg/video.cgi?resolution=" +
                         m_state.resolution(bstrResolution, CapsList::Video).value_or("") +
                         "&camera=" + m_state.camera(bstrCamera));
}

HRESULT CamTarget201::FormatImageUrl(BSTR bstrHost, BSTR bstrResolution, BSTR bstrCamera,
                                     BSTR* pbstrURL)
{
    auto host = hostPiece(bstrHost);
    if (!host)
        return E_FAIL;
    return assignUrl(pbstrURL,
                     "http://" + *host + "/cgi-bin/jpg/image.cgi?resolution=" +
                         m_state.resolution(bstrResolution, CapsList::Image).value_or("") +
                         "&camera=" + m_state.camera(bstrCamera));
}

} // namespace lumin
