#include "namespace/views/ContentView.h"
#include "namespace/views/ContentViews.h"
#include "namespace/views/SwitchCamWidget.h"

namespace foldra {

HRESULT createSwitchView(const ViewContext& context, REFIID riid, void** ppv)
{
    // A record that could not be read (context.record empty) starts nothing.
    return createContentViewOf(
        context,
        [](const ViewContext& c, ViewHost& host, QWidget* pane) {
            return std::make_unique<SwitchCamWidget>(c, host, pane);
        },
        riid, ppv);
}

} // namespace foldra
