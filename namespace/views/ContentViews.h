#pragma once
// The view of each content item kind. Each view has one factory function, declared here and
// defined in the view's own file; createContentView picks it by kind. A kind whose view is not
// built answers E_NOTIMPL, and the folder shows an empty pane instead.

#include "namespace/views/ViewContext.h"

namespace foldra {

// \retval S_OK, E_NOTIMPL (no view for the kind), or the view's creation failure
HRESULT createContentView(const ViewContext& context, REFIID riid, void** ppv);

// "CamCameraView": the single live view of a Camera or LiveSite.
HRESULT createCameraView(const ViewContext& context, REFIID riid, void** ppv);
// "QuadView": four cameras of a QuadView item.
HRESULT createQuadView(const ViewContext& context, REFIID riid, void** ppv);
// "SwitchCamView": the members of a SwitchCam in turn.
HRESULT createSwitchView(const ViewContext& context, REFIID riid, void** ppv);
// "CamImageView": the images and sequences of an Album.
HRESULT createImageView(const ViewContext& context, REFIID riid, void** ppv);

} // namespace foldra
