#include "client/CamTarget21x.h"

namespace lumin {
namespace {

std::string ptzPath(const CamTargetBase& state, BSTR bstrCamera)
{
    return "/orvel-cgi/com/ptz.cgi?speed=75&camera=" + state.camera(bstrCamera);
}

} // namespace

HRESULT formatOrvelVideoUrl(const CamTargetBase& state, BSTR bstrHost, BSTR bstrResolution,
                            BSTR bstrCamera, BSTR* pbstrURL)
{
    std::string r = state.resolution(bstrResolution, CapsList::Video).value_or("");
    // The NTSC half-size models stream their smallest size only by this name; a resolution
    // taken from the defaults is never replaced.
    if (SysStringLen(bstrResolution) > 0 && isNtscHalfSizeModel(state.modelName()) &&
        orvel::equalsIgnoringCase(bstrToUtf8(bstrResolution), "176x112 (NTSC)"))
        r = "halfsize";
    return assignHostUrl(pbstrURL, bstrHost,
                         "/orvel-cgi/mjpg/video.cgi?resolution=" + r +
                             "&camera=" + state.camera(bstrCamera));
}

HRESULT formatOrvelImageUrl(const CamTargetBase& state, BSTR bstrHost, BSTR bstrResolution,
                            BSTR bstrCamera, BSTR* pbstrURL)
{
    return assignHostUrl(pbstrURL, bstrHost,
                         "/orvel-cgi/jpg/image.cgi?resolution=" +
                             state.resolution(bstrResolution, CapsList::Image).value_or("") +
                             "&camera=" + state.camera(bstrCamera));
}

HRESULT formatOrvelCenterUrl(const CamTargetBase& state, BSTR bstrHost, BSTR bstrCamera, INT nWidth,
                             INT nHeight, INT nLx, INT nLy, BSTR* pbstrURL)
{
    return assignHostUrl(pbstrURL, bstrHost,
                         ptzPath(state, bstrCamera) + "&imagewidth=" + std::to_string(nWidth) +
                             "&imageheight=" + std::to_string(nHeight) + "&center=?" +
                             std::to_string(nLx) + "," + std::to_string(nLy));
}

HRESULT formatOrvelHomeUrl(const CamTargetBase& state, BSTR bstrHost, BSTR bstrCamera,
                           BSTR* pbstrURL)
{
    return assignHostUrl(pbstrURL, bstrHost, ptzPath(state, bstrCamera) + "&move=home");
}

HRESULT formatOrvelZoomUrl(const CamTargetBase& state, BSTR bstrHost, BSTR bstrCamera, INT nZoom,
                           BSTR* pbstrURL)
{
    int zoom = 0;
    switch (nZoom) {
    case CamZoomWideEnd:
        zoom = -9999;
        break;
    case CamZoomTeleEnd:
        zoom = 9999;
        break;
    case CamZoomTeleStep:
        zoom = 500;
        break;
    case CamZoomWideStep:
        zoom = -500;
        break;
    default:
        break;
    }
    return assignHostUrl(pbstrURL, bstrHost,
                         ptzPath(state, bstrCamera) + "&rzoom=" + std::to_string(zoom));
}

} // namespace lumin
