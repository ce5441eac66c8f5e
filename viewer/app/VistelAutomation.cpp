#include "viewer/app/VistelAutomation.h"

#include "platform/com/Bstr.h"
#include "viewer/app/VistelApp.h"
#include "viewer/app/VistelDoc.h"

namespace vistel {

HRESULT VistelAutomation::SetUserCtrl()
{
    m_app->SetUserCtrl();
    return S_OK;
}

HRESULT VistelAutomation::SetImage(BSTR bstrPath)
{
    return m_app->document()->SetImage(bstrToUtf8(bstrPath));
}

HRESULT VistelAutomation::SetSequence(BSTR bstrPath)
{
    return m_app->document()->SetSequence(bstrToUtf8(bstrPath));
}

HRESULT VistelAutomation::SetSequenceCreateAVI(BSTR bstrPath)
{
    return m_app->document()->SetSequenceCreateAVI(bstrToUtf8(bstrPath));
}

} // namespace vistel
