#pragma once
// The live-stream interface of Luminent: opens one URL and delivers each part of its
// multipart/x-mixed-replace reply through the advised ICamRequestSink and data object.

#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"

#include <cstddef>

// A stream part being assembled (headers included) or a simple request's reply that passes this
// many bytes is not taken: a camera cannot make the client take unbounded memory.
inline constexpr std::size_t kCamMaxPartBytes = 64u * 1024 * 1024;

inline constexpr IID IID_ICamMultipartRequest = makeGuid("{941E9A93-FB46-11D4-B09E-009027BD8645}");

struct ICamMultipartRequest : IUnknown {
    // Stops any open stream, then opens bstrUrl; dwBufSize bytes per read (0: 2920); hWnd owns
    // the authentication dialogs (null: the desktop). The request's own failure shows only as
    // the end of the stream.
    // \retval S_OK once the threads run, E_INVALIDARG (null URL), E_OUTOFMEMORY, E_HANDLE
    virtual HRESULT OpenUrl(BSTR bstrUrl, UI4 dwBufSize, HWND hWnd) = 0;
    // Resets the delay and stops the stream. \retval S_OK
    virtual HRESULT Close() = 0;
    // Advises pUnk as sink (replacing the previous one) and creates the data object of class
    // *pclsidDataObject (null: the client's own). *pdwAdviseCookie receives the client identity.
    // \retval the result of advising or of creating the data object
    virtual HRESULT DataAdvise(IUnknown* pUnk, CLSID* pclsidDataObject, UI4* pdwAdviseCookie) = 0;
    // Unadvises the sink and releases the data object. \retval the unadvise result, S_OK
    virtual HRESULT DataUnadvise() = 0;
    // Pause in ms after each delivered part, from the next part on. \retval S_OK
    virtual HRESULT SetDelay(UINT nDelay) = 0;
    // QueryInterface of the current data object; the caller owns the reference returned.
    // \retval S_OK, E_POINTER (no data object), E_NOINTERFACE
    virtual HRESULT QueryDataObject(GUID* iidDataObject, void** ppDataObject) = 0;
    // Credentials for connections opened afterwards whose URL carries none (null or empty
    // clears). \retval S_OK
    virtual HRESULT SetUser(BSTR bstrUser, BSTR bstrPassword) = 0;

protected:
    ~ICamMultipartRequest() = default;
};
template <> inline constexpr IID iidOf<ICamMultipartRequest> = IID_ICamMultipartRequest;
