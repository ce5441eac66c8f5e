#pragma once
// One plain GET or POST to the camera while a stream is open on the same Luminent (PTZ
// commands, parameter reads and writes, uploads).

#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"

using UI1 = BYTE;

inline constexpr IID IID_ICamSimpleRequest = makeGuid("{DE70CC25-16C3-11D5-B0AB-009027BD8645}");

struct ICamSimpleRequest : IUnknown {
    // dwTimeout ms > 0: waits for the whole answer; *ppbyReturned is a CoTaskMemAlloc block of
    // the body plus one zero byte, *pdwSizeReturned counts that byte; the caller frees the block.
    // dwTimeout 0: sends and returns at once; the outputs may be null.
    // \retval S_OK (also: timed out, no connection, no stream open; outputs untouched),
    //         S_FALSE (time-out 0, previous request still in flight), E_INVALIDARG,
    //         E_FAIL (previous request not ended 2000 ms after its abort, or empty answer),
    //         E_OUTOFMEMORY (body larger than 64 MiB), HRESULT_FROM_WIN32(12030, 12031 ...)
    //         (body cut short by the connection or shorter than its Content-Length); on
    //         failure *pdwSizeReturned is 0 and no block is returned
    virtual HRESULT SendGETRequest(UI4 dwTimeout, BSTR bstrUrl, UI4* pdwSizeReturned,
                                   UI1** ppbyReturned) = 0;
    // As SendGETRequest with a body of dwSizePost bytes (non-null, non-empty).
    virtual HRESULT SendPOSTRequest(UI4 dwTimeout, BSTR bstrUrl, UI4 dwSizePost, UI1* pbyPost,
                                    UI4* pdwSizeReturned, UI1** ppbyReturned) = 0;

protected:
    ~ICamSimpleRequest() = default;
};
template <> inline constexpr IID iidOf<ICamSimpleRequest> = IID_ICamSimpleRequest;
