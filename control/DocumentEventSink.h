#pragma once
// Listens to the hosting page's document events for the control: the page's stop event ends
// the image download. Called on the host's window thread.

#include "common/IHTMLDocument2.h"
#include "platform/com/ConnectionPoint.h"

#include <functional>

namespace pictra {

class DocumentEventSink final : public UnknownImpl<DocumentEventSink, DispatchSinkImpl> {
public:
    explicit DocumentEventSink(std::function<void()> onStop);

    // Advises on the document's HTMLDocumentEvents once; false when the container has none.
    bool subscribe(IUnknown* container);
    // Unadvises and forgets the handler for good; safe to call twice.
    void unsubscribe();

    HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                   DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                   UINT* puArgErr) override;

private:
    ~DocumentEventSink() override = default;
    void* queryExtra(REFIID riid) override;

    std::function<void()> m_onStop;
    ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
};

} // namespace pictra
