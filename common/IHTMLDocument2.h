#pragma once
// The hosting page as a control sees it, with the Windows names and identifiers: its address
// and the document events (the stop of the page). The page host's container answers
// IHTMLDocument2 and offers HTMLDocumentEvents through IConnectionPointContainer. Only the
// members the suite's controls use are declared. Called on the host's window thread.

#include "platform/com/Bstr.h"
#include "platform/com/Dispatch.h"

struct IHTMLDocument2 : IDispatch {
    // The page's address as it was opened ("http://host/path", "file:///..."); *p is
    // reallocated (common/Ownership.h). S_OK; E_POINTER.
    virtual HRESULT get_URL(BSTR* p) = 0;
    // The text of the page's <title>. S_OK; E_POINTER.
    virtual HRESULT get_title(BSTR* p) = 0;

protected:
    ~IHTMLDocument2() = default;
};

constexpr IID IID_IHTMLDocument2 = makeGuid("{332C4425-26CB-11D0-B483-00C04FD90119}");
template <> inline constexpr IID iidOf<IHTMLDocument2> = IID_IHTMLDocument2;
template <> struct InterfaceParent<IHTMLDocument2> {
    using type = IDispatch;
};
template <> struct DispatchTable<IHTMLDocument2> {
    using I = IHTMLDocument2;
    static constexpr DispatchMember members[] = {
        dispReadOnly<&I::get_URL>(1025, u"URL"),
        dispReadOnly<&I::get_title>(1012, u"title"),
    };
};

// The document's events: a dispinterface, so sinks implement IDispatch and answer
// QueryInterface for DIID_HTMLDocumentEvents. Fired without arguments.
constexpr IID DIID_HTMLDocumentEvents = makeGuid("{3050F260-98B5-11CF-BB82-00AA00BDCE0B}");

// The user stopped the page (Esc or the Stop button).
constexpr DISPID DISPID_HTMLDOCUMENTEVENTS_ONSTOP = 1026;
