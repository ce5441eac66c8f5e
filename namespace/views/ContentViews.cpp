#include "namespace/views/ContentViews.h"

namespace foldra {

HRESULT createContentView(const ViewContext& context, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    switch (context.kind) {
    case ItemKind::Camera:
    case ItemKind::LiveSite:
        return createCameraView(context, riid, ppv);
    case ItemKind::QuadView:
        return createQuadView(context, riid, ppv);
    case ItemKind::SwitchCam:
        return createSwitchView(context, riid, ppv);
    case ItemKind::Album:
        return createImageView(context, riid, ppv);
    default:
        return E_NOTIMPL;
    }
}

} // namespace foldra
