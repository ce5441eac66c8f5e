#pragma once
// The viewer's automation class, the one object a creator gets through the local server: it
// forwards IVistel to the application's document and frame. Called on the window thread.

#include "common/IVistel.h"
#include "platform/com/UnknownImpl.h"

namespace vistel {

class CVistelApp;

class VistelAutomation final : public UnknownImpl<VistelAutomation, DualImpl<IVistel>> {
public:
    explicit VistelAutomation(CVistelApp* app) : m_app(app) {}

    HRESULT SetUserCtrl() override;
    HRESULT SetImage(BSTR bstrPath) override;
    HRESULT SetSequence(BSTR bstrPath) override;
    HRESULT SetSequenceCreateAVI(BSTR bstrPath) override;

private:
    CVistelApp* m_app; // outlives every object it serves
};

} // namespace vistel
