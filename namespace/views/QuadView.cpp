#include "namespace/views/ContentView.h"
#include "namespace/views/ContentViews.h"
#include "namespace/views/QuadViewWidget.h"

namespace foldra {

HRESULT createQuadView(const ViewContext& context, REFIID riid, void** ppv)
{
    // A record that could not be read (context.record empty) starts nothing.
    return createContentViewOf(
        context,
        [](const ViewContext& c, ViewHost& host, QWidget* pane) {
            return std::make_unique<QuadViewWidget>(c, host, pane);
        },
        riid, ppv);
}

} // namespace foldra
