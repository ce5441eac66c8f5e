#include "control/DocumentEventSink.h"

#include "control/ModuleState.h"
#include "platform/com/ConnectionPoint.h"

namespace pictra {

DocumentEventSink::DocumentEventSink(std::function<void()> onStop)
    : UnknownImpl(&moduleLiveCount()), m_onStop(std::move(onStop))
{}

void* DocumentEventSink::queryExtra(REFIID riid)
{
    // The dispinterface is answered by the sink's IDispatch.
    return IsEqualIID(riid, DIID_HTMLDocumentEvents) ? static_cast<IDispatch*>(this) : nullptr;
}

bool DocumentEventSink::subscribe(IUnknown* container)
{
    if (m_point || !container)
        return false;
    ComPtr<IConnectionPointContainer> points;
    if (FAILED(container->QueryInterface(IID_IConnectionPointContainer, points.putVoid())))
        return false;
    ComPtr<IConnectionPoint> point;
    if (FAILED(points->FindConnectionPoint(DIID_HTMLDocumentEvents, point.put())))
        return false;
    DWORD cookie = 0;
    if (FAILED(point->Advise(static_cast<IDispatch*>(this), &cookie)))
        return false;
    m_point = std::move(point);
    m_cookie = cookie;
    return true;
}

void DocumentEventSink::unsubscribe()
{
    if (m_point)
        m_point->Unadvise(m_cookie);
    m_point.reset();
    m_cookie = 0;
    m_onStop = nullptr;
}

HRESULT DocumentEventSink::Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                  EXCEPINFO*, UINT*)
{
    // Every other document event is of no interest to the control.
    if (dispIdMember == DISPID_HTMLDOCUMENTEVENTS_ONSTOP && m_onStop)
        m_onStop();
    return S_OK;
}

} // namespace pictra
