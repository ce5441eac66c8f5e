#include "namespace/views/CameraPaneView.h"
#include "namespace/views/ContentViews.h"
#include "namespace/views/QuadViewWidget.h"

namespace foldra {

HRESULT createQuadView(const ViewContext& context, REFIID riid, void** ppv)
{
    // A record that could not be read (context.record empty) starts nothing.
    auto factory = [record = context.record, kind = context.kind,
                    store = context.store](QWidget* parent) -> CameraPaneWidget* {
        return new QuadViewWidget(record, kind, store, parent);
    };
    return CameraPaneView::createInstance(nullptr, riid, ppv, context.folder, IDR_QUAD_MENU,
                                          factory);
}

} // namespace foldra
