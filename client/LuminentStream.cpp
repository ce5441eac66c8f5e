// Luminent's ICamMultipartRequest, ICamSimpleRequest and connection point container: the work
// is in StreamClient.
#include "client/Luminent.h"

namespace lumin {

HRESULT Luminent::OpenUrl(BSTR bstrUrl, UI4 dwBufSize, HWND hWnd)
{
    return m_streamClient.openUrl(bstrUrl, dwBufSize, hWnd);
}

HRESULT Luminent::Close()
{
    return m_streamClient.close();
}

HRESULT Luminent::DataAdvise(IUnknown* pUnk, CLSID* pclsidDataObject, UI4* pdwAdviseCookie)
{
    return m_streamClient.dataAdvise(pUnk, pclsidDataObject, pdwAdviseCookie);
}

HRESULT Luminent::DataUnadvise()
{
    return m_streamClient.dataUnadvise();
}

HRESULT Luminent::SetDelay(UINT nDelay)
{
    return m_streamClient.setDelay(nDelay);
}

HRESULT Luminent::QueryDataObject(GUID* iidDataObject, void** ppDataObject)
{
    return m_streamClient.queryDataObject(iidDataObject, ppDataObject);
}

HRESULT Luminent::SetUser(BSTR bstrUser, BSTR bstrPassword)
{
    return m_streamClient.setUser(bstrUser, bstrPassword);
}

HRESULT Luminent::SendGETRequest(UI4 dwTimeout, BSTR bstrUrl, UI4* pdwSizeReturned,
                                 UI1** ppbyReturned)
{
    return m_streamClient.sendRequest("GET", dwTimeout, bstrUrl, 0, nullptr, pdwSizeReturned,
                                      ppbyReturned);
}

HRESULT Luminent::SendPOSTRequest(UI4 dwTimeout, BSTR bstrUrl, UI4 dwSizePost, UI1* pbyPost,
                                  UI4* pdwSizeReturned, UI1** ppbyReturned)
{
    return m_streamClient.sendRequest("POST", dwTimeout, bstrUrl, dwSizePost, pbyPost,
                                      pdwSizeReturned, ppbyReturned);
}

HRESULT Luminent::EnumConnectionPoints(IEnumConnectionPoints** ppEnum)
{
    return m_streamClient.enumConnectionPoints(ppEnum);
}

HRESULT Luminent::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP)
{
    return m_streamClient.findConnectionPoint(riid, ppCP);
}

} // namespace lumin
