#pragma once
// Luminent: the client object through which components receive streams, send simple requests,
// identify cameras and control the log. Each interface's methods live in their own file
// (LuminentVersion.cpp, LuminentError.cpp, ...); the interface list below is the class's
// interface map, in its published order.

#include "client/StreamClient.h"
#include "common/ICamIdentifyTarget.h"
#include "common/ICamModuleVersion.h"
#include "common/ICamMultipartRequest.h"
#include "common/ICamSimpleRequest.h"
#include "common/ILuminentError.h"
#include "platform/com/UnknownImpl.h"

namespace lumin {

class Luminent final
    : public UnknownImpl<Luminent, ICamMultipartRequest, ICamSimpleRequest, ICamModuleVersion,
                         ILuminentError, ICamIdentifyTarget, IConnectionPointContainer> {
public:
    Luminent();

    // ICamMultipartRequest (LuminentStream.cpp, StreamClient)
    HRESULT OpenUrl(BSTR bstrUrl, UI4 dwBufSize, HWND hWnd) override;
    HRESULT Close() override;
    HRESULT DataAdvise(IUnknown* pUnk, CLSID* pclsidDataObject, UI4* pdwAdviseCookie) override;
    HRESULT DataUnadvise() override;
    HRESULT SetDelay(UINT nDelay) override;
    HRESULT QueryDataObject(GUID* iidDataObject, void** ppDataObject) override;
    HRESULT SetUser(BSTR bstrUser, BSTR bstrPassword) override;

    // ICamSimpleRequest (LuminentStream.cpp)
    HRESULT SendGETRequest(UI4 dwTimeout, BSTR bstrUrl, UI4* pdwSizeReturned,
                           UI1** ppbyReturned) override;
    HRESULT SendPOSTRequest(UI4 dwTimeout, BSTR bstrUrl, UI4 dwSizePost, UI1* pbyPost,
                            UI4* pdwSizeReturned, UI1** ppbyReturned) override;

    // IConnectionPointContainer (LuminentStream.cpp): one point, ICamRequestSink
    HRESULT EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override;
    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

    // ICamModuleVersion (LuminentVersion.cpp)
    HRESULT GetVersion(UI4* pdwMajor, UI4* pdwMinor, UI4* pdwBuild) override;

    // ILuminentError (LuminentError.cpp)
    HRESULT GetDescription(HRESULT hresError, BSTR* pbstrDescription) override;
    HRESULT EnableLog(UI4 dwLevelMask) override;
    HRESULT DisableLog() override;
    HRESULT OpenLog() override;
    HRESULT EraseLog() override;

    // ICamIdentifyTarget (LuminentIdentify.cpp)
    HRESULT IdentifyTarget(BSTR bstrHost, ICamTarget** ppTarget, BSTR* pbstrName,
                           BSTR* pbstrVersion, UI4 dwTimeout) override;
    HRESULT GetTarget(BSTR bstrName, BSTR bstrVersion, ICamTarget** ppTarget) override;
    HRESULT ChooseTarget(ICamTarget** ppTarget, BSTR* pbstrName, BSTR* pbstrVersion) override;

private:
    ~Luminent() override;

    // Destroyed after ~Luminent has logged "FinalRelease": unadvises and stops the stream.
    StreamClient m_streamClient{this};
};

} // namespace lumin
