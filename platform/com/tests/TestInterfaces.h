#pragma once
// Classes and the interface of the test servers built beside these tests.

#include "platform/com/Bstr.h"
#include "platform/com/RemoteInterface.h"

// In-process server (libComTestInprocServer.so).
inline constexpr CLSID CLSID_TestCounter = makeGuid("{3C1E7A10-5B2D-4E61-8F0A-7D4C2B19E001}");
inline constexpr CLSID CLSID_TestLoner = makeGuid("{3C1E7A10-5B2D-4E61-8F0A-7D4C2B19E002}");
// Local server program (ComTestLocalServer): a recorder and a viewer stand-in.
inline constexpr CLSID CLSID_TestRecorder = makeGuid("{3C1E7A10-5B2D-4E61-8F0A-7D4C2B19E003}");
inline constexpr CLSID CLSID_TestViewer = makeGuid("{3C1E7A10-5B2D-4E61-8F0A-7D4C2B19E004}");

inline constexpr IID IID_ITestCounter = makeGuid("{3C1E7A10-5B2D-4E61-8F0A-7D4C2B19E101}");

struct ITestCounter : IUnknown {
    virtual HRESULT Add(LONG n) = 0;
    virtual HRESULT GetTotal(LONG* total) = 0;

protected:
    ~ITestCounter() = default;
};
template <> inline constexpr IID iidOf<ITestCounter> = IID_ITestCounter;

// Dual interfaces of the local-server program (ComTestLocalServer), declared here only: a new
// cross-process interface needs no change in the runtime.
inline constexpr IID IID_ITestRecorder = makeGuid("{3C1E7A10-5B2D-4E61-8F0A-7D4C2B19E102}");
inline constexpr IID IID_ITestViewer = makeGuid("{3C1E7A10-5B2D-4E61-8F0A-7D4C2B19E103}");

// Start writes what it was given (see TestLocalServer.cpp); Stop answers E_NOTIMPL.
struct ITestRecorder : IDispatch {
    virtual HRESULT Start(BSTR dir, BSTR prefix, LONG elapse, DWORD duration, DWORD maxSize) = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT Init(BSTR url, BSTR name) = 0;

protected:
    ~ITestRecorder() = default;
};
template <> inline constexpr IID iidOf<ITestRecorder> = IID_ITestRecorder;
template <> struct InterfaceParent<ITestRecorder> {
    using type = IDispatch;
};
template <> struct DispatchTable<ITestRecorder> {
    static constexpr DispatchMember members[] = {
        dispMethod<&ITestRecorder::Start>(1, u"Start"),
        dispMethod<&ITestRecorder::Stop>(2, u"Stop"),
        dispMethod<&ITestRecorder::Init>(3, u"Init"),
    };
};
template <> class RemoteProxy<ITestRecorder> final : public RemoteFacet<ITestRecorder> {
public:
    using RemoteFacet::RemoteFacet;
    HRESULT Start(BSTR dir, BSTR prefix, LONG elapse, DWORD duration, DWORD maxSize) override
    {
        return forward<&ITestRecorder::Start>(dir, prefix, elapse, duration, maxSize);
    }
    HRESULT Stop() override { return forward<&ITestRecorder::Stop>(); }
    HRESULT Init(BSTR url, BSTR name) override { return forward<&ITestRecorder::Init>(url, name); }
};
inline const RemoteInterfaceRegistration<ITestRecorder> kRemoteITestRecorder;

// SetImage succeeds for an existing file; SetUserCtrl only after a file was shown. Zoom is a
// property, Title a read-only one (the last path shown).
struct ITestViewer : IDispatch {
    virtual HRESULT SetUserCtrl() = 0;
    virtual HRESULT SetImage(BSTR path) = 0;
    virtual HRESULT SetSequence(BSTR path) = 0;
    virtual HRESULT get_Zoom(LONG* zoom) = 0;
    virtual HRESULT put_Zoom(LONG zoom) = 0;
    virtual HRESULT get_Title(BSTR* title) = 0;

protected:
    ~ITestViewer() = default;
};
template <> inline constexpr IID iidOf<ITestViewer> = IID_ITestViewer;
template <> struct InterfaceParent<ITestViewer> {
    using type = IDispatch;
};
template <> struct DispatchTable<ITestViewer> {
    static constexpr DispatchMember members[] = {
        dispMethod<&ITestViewer::SetUserCtrl>(0x60020000, u"SetUserCtrl"),
        dispMethod<&ITestViewer::SetImage>(0x60020001, u"SetImage"),
        dispMethod<&ITestViewer::SetSequence>(0x60020002, u"SetSequence"),
        dispProperty<&ITestViewer::get_Zoom, &ITestViewer::put_Zoom>(7, u"Zoom"),
        dispReadOnly<&ITestViewer::get_Title>(8, u"Title"),
    };
};
template <> class RemoteProxy<ITestViewer> final : public RemoteFacet<ITestViewer> {
public:
    using RemoteFacet::RemoteFacet;
    HRESULT SetUserCtrl() override { return forward<&ITestViewer::SetUserCtrl>(); }
    HRESULT SetImage(BSTR path) override { return forward<&ITestViewer::SetImage>(path); }
    HRESULT SetSequence(BSTR path) override { return forward<&ITestViewer::SetSequence>(path); }
    HRESULT get_Zoom(LONG* zoom) override { return forward<&ITestViewer::get_Zoom>(zoom); }
    HRESULT put_Zoom(LONG zoom) override { return forward<&ITestViewer::put_Zoom>(zoom); }
    HRESULT get_Title(BSTR* title) override { return forward<&ITestViewer::get_Title>(title); }
};
inline const RemoteInterfaceRegistration<ITestViewer> kRemoteITestViewer;
