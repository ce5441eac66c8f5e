#include "namespace/views/ContentViews.h"

namespace foldra {

HRESULT createContentView(const ViewContext& context, REFIID, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    switch (context.kind) {
    default:
        return E_NOTIMPL;
    }
}

} // namespace foldra
