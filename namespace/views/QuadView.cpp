#include "namespace/views/QuadView.h"

#include "namespace/folder/CamFolder.h"
#include "namespace/views/CameraPaneView.h"
#include "namespace/views/QuadViewWidget.h"

namespace foldra {

HRESULT createQuadView(CamFolder* folder, REFIID riid, void** ppv)
{
    auto factory = [](CamFolder* owner, QWidget* parent) -> CameraPaneWidget* {
        ItemRecord own;
        ItemKind kind = ItemKind::SubFolder;
        // An own record that cannot be read starts nothing: the quadrants stay black.
        if (FAILED(owner->store().Read(owner->path(), &own, &kind)))
            kind = ItemKind::SubFolder;
        return new QuadViewWidget(std::move(own), kind, owner->store(), parent);
    };
    return CameraPaneView::createInstance(nullptr, riid, ppv, folder, IDR_QUAD_MENU, factory);
}

} // namespace foldra
