#include "hosts/page/PageDocument.h"

namespace pagehost {

PageDocument::PageDocument(std::string address, std::string title)
    : m_address(std::move(address)), m_title(std::move(title))
{}

PageDocument::~PageDocument()
{
    m_events.unadviseAll();
}

HRESULT PageDocument::LockContainer(BOOL)
{
    return S_OK;
}

HRESULT PageDocument::get_URL(BSTR* p)
{
    if (!p)
        return E_POINTER;
    return bstrAssignUtf8(p, m_address) ? S_OK : E_OUTOFMEMORY;
}

HRESULT PageDocument::get_title(BSTR* p)
{
    if (!p)
        return E_POINTER;
    return bstrAssignUtf8(p, m_title) ? S_OK : E_OUTOFMEMORY;
}

HRESULT PageDocument::EnumConnectionPoints(IEnumConnectionPoints** ppEnum)
{
    return m_points.enumerate(ppEnum);
}

HRESULT PageDocument::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP)
{
    return m_points.find(riid, ppCP);
}

void PageDocument::fireStop()
{
    m_events.fireDispatch(DISPID_HTMLDOCUMENTEVENTS_ONSTOP);
}

void PageDocument::close()
{
    m_events.unadviseAll();
}

} // namespace pagehost
