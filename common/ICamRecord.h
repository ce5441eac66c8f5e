#pragma once
// The recorder's automation interface. CamRecord lives in a Recora process of its own (a local
// server, one process per object); callers reach it through the runtime's proxy.

#include "platform/com/Bstr.h"
#include "platform/com/Dispatch.h"
#include "platform/com/RemoteInterface.h"

inline constexpr IID IID_ICamRecord = makeGuid("{9A7F5804-4936-11D5-B0AD-009027BD8645}");

struct ICamRecord : IDispatch {
    // DISPID 1. Opens the stream given to Init and records into bstrDirectory with file names
    // starting with bstrPrefix: a frame every lElapse ms, for at most dwDuration seconds
    // (counted from the first image) and dwMaxSize bytes. S_OK when the stream is opening;
    // S_FALSE without an Init URL; E_INVALIDARG for a null directory or prefix; E_HANDLE
    // without a status window; E_FAIL without a camera client.
    virtual HRESULT Start(BSTR bstrDirectory, BSTR bstrPrefix, LONG lElapse, DWORD dwDuration,
                          DWORD dwMaxSize) = 0;
    // DISPID 2. E_NOTIMPL: a recording is stopped by its own window.
    virtual HRESULT Stop() = 0;
    // DISPID 3. Keeps copies of the stream URL and the display name. S_OK.
    virtual HRESULT Init(BSTR bstrUrl, BSTR bstrName) = 0;

protected:
    ~ICamRecord() = default;
};
template <> inline constexpr IID iidOf<ICamRecord> = IID_ICamRecord;
template <> struct InterfaceParent<ICamRecord> {
    using type = IDispatch;
};

template <> struct DispatchTable<ICamRecord> {
    static constexpr DispatchMember members[] = {
        dispMethod<&ICamRecord::Start>(1, u"Start"),
        dispMethod<&ICamRecord::Stop>(2, u"Stop"),
        dispMethod<&ICamRecord::Init>(3, u"Init"),
    };
};

// The creator's side of a CamRecord in its Recora process.
template <> class RemoteProxy<ICamRecord> final : public RemoteFacet<ICamRecord> {
public:
    using RemoteFacet::RemoteFacet;
    HRESULT Start(BSTR bstrDirectory, BSTR bstrPrefix, LONG lElapse, DWORD dwDuration,
                  DWORD dwMaxSize) override
    {
        return forward<&ICamRecord::Start>(bstrDirectory, bstrPrefix, lElapse, dwDuration,
                                           dwMaxSize);
    }
    HRESULT Stop() override { return forward<&ICamRecord::Stop>(); }
    HRESULT Init(BSTR bstrUrl, BSTR bstrName) override
    {
        return forward<&ICamRecord::Init>(bstrUrl, bstrName);
    }
};
inline const RemoteInterfaceRegistration<ICamRecord> kRemoteICamRecord;
