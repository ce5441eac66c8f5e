#pragma once
// The stream and simple-request side of Luminent: one opened URL at a time, read by the request
// thread, delivered to the sinks by the callback thread, with simple requests served by a third
// thread over the same session. Luminent forwards its ICamMultipartRequest, ICamSimpleRequest
// and IConnectionPointContainer methods here; all of them are called on the caller's thread.

#include "client/StreamState.h"
#include "common/ICamSimpleRequest.h"
#include "platform/com/ConnectionPoint.h"

#include <memory>
#include <optional>
#include <string>

namespace lumin {

class StreamClient {
public:
    // container: the Luminent that owns this (its connection point container).
    explicit StreamClient(IConnectionPointContainer* container);
    // Final release: unadvises, stops the stream.
    ~StreamClient();
    StreamClient(const StreamClient&) = delete;
    StreamClient& operator=(const StreamClient&) = delete;

    HRESULT openUrl(BSTR bstrUrl, UI4 dwBufSize, HWND hWnd);
    HRESULT close();
    HRESULT dataAdvise(IUnknown* pUnk, CLSID* pclsidDataObject, UI4* pdwAdviseCookie);
    HRESULT dataUnadvise();
    HRESULT setDelay(UINT nDelay);
    HRESULT queryDataObject(GUID* iidDataObject, void** ppDataObject);
    HRESULT setUser(BSTR bstrUser, BSTR bstrPassword);

    HRESULT sendRequest(const char* verb, UI4 dwTimeout, BSTR bstrUrl, UI4 dwSizePost, UI1* pbyPost,
                        UI4* pdwSizeReturned, UI1** ppbyReturned);

    HRESULT findConnectionPoint(REFIID riid, IConnectionPoint** ppCP)
    {
        return m_points.find(riid, ppCP);
    }
    HRESULT enumConnectionPoints(IEnumConnectionPoints** ppEnum)
    {
        return m_points.enumerate(ppEnum);
    }

private:
    void stop();
    // The connection for url on the stream's session; sets the stream's path and secure flag.
    std::unique_ptr<orvel::http::Connection> openConnection(OpenStream& stream,
                                                            const std::string& url,
                                                            orvel::http::Context context,
                                                            std::string* path, bool* secure);

    ConnectionPointImpl m_sinks;
    ConnectionPointList m_points{&m_sinks};
    std::shared_ptr<ClientCore> m_core;
    std::shared_ptr<OpenStream> m_stream; // while a stream is open
    std::optional<std::string> m_user;
    std::optional<std::string> m_password;
    UI4 m_delay = 0;
    DWORD m_adviseCookie = 0;
};

} // namespace lumin
