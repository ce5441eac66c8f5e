#include "namespace/views/SwitchCamView.h"

#include "namespace/folder/CamFolder.h"
#include "namespace/views/CameraPaneView.h"
#include "namespace/views/SwitchCamWidget.h"

namespace foldra {

HRESULT createSwitchCamView(CamFolder* folder, REFIID riid, void** ppv)
{
    auto factory = [](CamFolder* owner, QWidget* parent) -> CameraPaneWidget* {
        ItemRecord own;
        ItemKind kind = ItemKind::SubFolder;
        if (FAILED(owner->store().Read(owner->path(), &own, &kind)))
            kind = ItemKind::SubFolder;
        return new SwitchCamWidget(std::move(own), kind, owner->store(), parent);
    };
    return CameraPaneView::createInstance(nullptr, riid, ppv, folder, IDR_SWITCH_MENU, factory);
}

} // namespace foldra
