#pragma once
// The outgoing interface of Luminent: callers implement it and advise it with
// ICamMultipartRequest::DataAdvise. Calls arrive on the client's worker threads, never on the
// caller's thread; the client ignores the results.

#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"

inline constexpr IID IID_ICamRequestSink = makeGuid("{941E9A96-FB46-11D4-B09E-009027BD8645}");

// dwType of OnDataAvailable, from the part's content type.
enum CamType : UI4 {
    CamTypeJpeg = 0x5501,
    CamTypeText = 0x5502,
    CamTypeAudio = 0x5503,
    CamTypeHtml = 0x5504,
    CamTypeOther = 0x5531,
};

// dwStatus of OnStatusChanged. 20, 21, 50 and 51 are the internet layer's connection statuses.
enum CamStatus : UI4 {
    CamStatusConnecting = 20,
    CamStatusConnected = 21,
    CamStatusClosing = 50,
    CamStatusClosed = 51,
    CamStatusFrameRate = 0x5532,   // bstrInfo: parts per second, "%.1f"
    CamStatusStreamEnded = 0x5533, // bstrInfo null; not sent when the client stopped the stream
    // bstrInfo: one line on why the request ends other than by the camera ending a multipart
    // stream in order ("the camera answered 500 Internal Server Error", "the reply is not a
    // multipart stream (Content-Type: text/html)", "a part is larger than 64 MiB" ...); sent
    // on the callback thread just before CamStatusStreamEnded.
    CamStatusEndReason = 0x5534,
    // bstrInfo: the status code and text, "500 Internal Server Error", when the camera answered
    // 400 or above; its page still comes as a part. Sent on the callback thread.
    CamStatusHttpError = 0x5535,
};

struct ICamRequestSink : IUnknown {
    // A part waits in the client's data object (ICamMultipartRequest::QueryDataObject).
    // Called on the callback thread. dwCookie identifies the client (as DataAdvise returned).
    virtual HRESULT OnDataAvailable(UI4 dwCookie, UI4 dwType) = 0;
    // Connection statuses on the request thread, frame rate and stream end on the callback
    // thread. bstrInfo belongs to the caller; copy it to keep it.
    virtual HRESULT OnStatusChanged(UI4 dwCookie, UI4 dwStatus, BSTR bstrInfo) = 0;

protected:
    ~ICamRequestSink() = default;
};
template <> inline constexpr IID iidOf<ICamRequestSink> = IID_ICamRequestSink;
