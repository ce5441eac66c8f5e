#pragma once
// The viewer's automation interface. The viewer class lives in a Vistel process of its own
// (a local server, one process per creation); callers reach it through the runtime's proxy.
// Callers call one of the three setters and, when it answered S_OK, SetUserCtrl.

#include "platform/com/Bstr.h"
#include "platform/com/Dispatch.h"
#include "platform/com/RemoteInterface.h"

inline constexpr IID IID_IVistel = makeGuid("{F086D3E2-8A7D-11D4-8A6B-00609717EDE7}");

struct IVistel : IDispatch {
    // DISPID 0x60020000. Shows the window centred at the image size and hands the program to
    // the user (it then outlives the caller); starts the AVI creation after
    // SetSequenceCreateAVI. S_OK.
    virtual HRESULT SetUserCtrl() = 0;
    // DISPID 0x60020001. Loads one JPEG file; the image object's result (S_OK when shown).
    virtual HRESULT SetImage(BSTR bstrPath) = 0;
    // DISPID 0x60020002. Loads a sequence file and plays it. E_FAIL when it cannot be read;
    // otherwise the result of loading its first frame.
    virtual HRESULT SetSequence(BSTR bstrPath) = 0;
    // DISPID 0x60020003. Loads a sequence file for writing an AVI at SetUserCtrl; results as
    // SetSequence.
    virtual HRESULT SetSequenceCreateAVI(BSTR bstrPath) = 0;

protected:
    ~IVistel() = default;
};
template <> inline constexpr IID iidOf<IVistel> = IID_IVistel;
template <> struct InterfaceParent<IVistel> {
    using type = IDispatch;
};

template <> struct DispatchTable<IVistel> {
    static constexpr DispatchMember members[] = {
        dispMethod<&IVistel::SetUserCtrl>(0x60020000, u"SetUserCtrl"),
        dispMethod<&IVistel::SetImage>(0x60020001, u"SetImage"),
        dispMethod<&IVistel::SetSequence>(0x60020002, u"SetSequence"),
        dispMethod<&IVistel::SetSequenceCreateAVI>(0x60020003, u"SetSequenceCreateAVI"),
    };
};

// The creator's side of a viewer in its Vistel process.
template <> class RemoteProxy<IVistel> final : public RemoteFacet<IVistel> {
public:
    using RemoteFacet::RemoteFacet;
    HRESULT SetUserCtrl() override { return forward<&IVistel::SetUserCtrl>(); }
    HRESULT SetImage(BSTR bstrPath) override { return forward<&IVistel::SetImage>(bstrPath); }
    HRESULT SetSequence(BSTR bstrPath) override { return forward<&IVistel::SetSequence>(bstrPath); }
    HRESULT SetSequenceCreateAVI(BSTR bstrPath) override
    {
        return forward<&IVistel::SetSequenceCreateAVI>(bstrPath);
    }
};
inline const RemoteInterfaceRegistration<IVistel> kRemoteIVistel;
