#pragma once
// The embedding contract between a page host and the controls it hosts, with the Windows
// names and identifiers: the client site a control asks its questions of, the container
// behind it, in-place activation into the host's window, drawing into a surface and the
// property change notices. These are the members the suite's host and controls use, in the
// Windows order; members the suite never calls are left out, so the interfaces are not the
// Windows ones slot for slot. Everything is called on the host's window thread.

#include "platform/com/ConnectionPoint.h"
#include "platform/com/Dispatch.h"

struct IOleContainer;
struct IOleClientSite;

// Ambient properties the site's IDispatch answers (property get).
constexpr DISPID DISPID_AMBIENT_BACKCOLOR = -701;
constexpr DISPID DISPID_READYSTATE = -525;       // the control's ready state (4: complete)
constexpr DISPID DISPID_AMBIENT_USERMODE = -709; // VT_BOOL: VARIANT_TRUE in run mode

// OLEMISC bits of a class's MiscStatus.
enum OLEMISC : DWORD {
    OLEMISC_RECOMPOSEONRESIZE = 0x1,
    OLEMISC_CANTLINKINSIDE = 0x10,
    OLEMISC_INSIDEOUT = 0x80,
    OLEMISC_ACTIVATEWHENVISIBLE = 0x100,
    OLEMISC_SETCLIENTSITEFIRST = 0x20000,
};
constexpr DWORD DVASPECT_CONTENT = 1;

// Verbs of DoVerb.
constexpr LONG OLEIVERB_PRIMARY = 0;
constexpr LONG OLEIVERB_SHOW = -1;
constexpr LONG OLEIVERB_INPLACEACTIVATE = -5;

// Close's save option.
constexpr DWORD OLECLOSE_NOSAVE = 1;

constexpr HRESULT OLE_E_NOT_INPLACEACTIVE = static_cast<HRESULT>(0x80040010);

struct IOleWindow : IUnknown {
    // The window of the object (or of the site: the parent the object lives in).
    // E_FAIL while there is none.
    virtual HRESULT GetWindow(HWND* phwnd) = 0;

protected:
    ~IOleWindow() = default;
};

// What the host gives each embedded control. The site's IDispatch answers the ambient
// properties; its IOleInPlaceSite the window questions.
struct IOleClientSite : IUnknown {
    // The document the control sits in (IOleContainer, and IHTMLDocument2 on a page).
    // E_NOINTERFACE when the host has none.
    virtual HRESULT GetContainer(IOleContainer** ppContainer) = 0;
    // The control's request to be drawn; the host repaints it. S_OK.
    virtual HRESULT ShowObject() = 0;

protected:
    ~IOleClientSite() = default;
};

struct IOleContainer : IUnknown {
    // Keeps the document alive while fLock is true (the page host ignores it). S_OK.
    virtual HRESULT LockContainer(BOOL fLock) = 0;

protected:
    ~IOleContainer() = default;
};

struct IOleObject : IUnknown {
    // Called first (the class's MiscStatus asks for it), before the properties are loaded.
    // A null site detaches the control from its host.
    virtual HRESULT SetClientSite(IOleClientSite* pClientSite) = 0;
    virtual HRESULT GetClientSite(IOleClientSite** ppClientSite) = 0;
    // Destroys the control's window and ends what it started; the object stays usable for
    // persistence. S_OK.
    virtual HRESULT Close(DWORD dwSaveOption) = 0;
    // OLEIVERB_INPLACEACTIVATE (and SHOW, PRIMARY): creates the control's window as a child of
    // hwndParent at lprcPosRect (client coordinates of the parent). E_INVALIDARG without a
    // parent, E_NOTIMPL for other verbs.
    virtual HRESULT DoVerb(LONG iVerb, void* lpmsg, IOleClientSite* pActiveSite, LONG lindex,
                           HWND hwndParent, const RECT* lprcPosRect) = 0;
    virtual HRESULT GetUserClassID(CLSID* pClsid) = 0;
    // What the class registers as its MiscStatus for the aspect.
    virtual HRESULT GetMiscStatus(DWORD dwAspect, DWORD* pdwStatus) = 0;

protected:
    ~IOleObject() = default;
};

struct IOleInPlaceObject : IOleWindow {
    // Destroys the control's window (as Close does, without ending the object).
    virtual HRESULT InPlaceDeactivate() = 0;
    // Moves the control's window to lprcPosRect (client coordinates of the parent).
    virtual HRESULT SetObjectRects(const RECT* lprcPosRect, const RECT* lprcClipRect) = 0;

protected:
    ~IOleInPlaceObject() = default;
};

struct IOleInPlaceSite : IOleWindow {
    // GetWindow gives the parent window of the control.
    // The control changed its own size (a control that follows its image): the host moves its
    // layout to lprcPosRect. S_OK.
    virtual HRESULT OnPosRectChange(const RECT* lprcPosRect) = 0;

protected:
    ~IOleInPlaceSite() = default;
};

// Drawing a control into a surface the host gives (platform/draw: an HDC names a drawing
// surface).
struct IViewObject : IUnknown {
    // Draws the control's picture into lprcBounds of hdcDraw. Arguments the suite does not use
    // (aspect details, target device, continuation) are ignored. E_INVALIDARG without a surface
    // or bounds, OLE_E_BLANK when there is nothing to draw.
    virtual HRESULT Draw(DWORD dwDrawAspect, LONG lindex, void* pvAspect, void* ptd,
                         HDC hdcTargetDev, HDC hdcDraw, const RECT* lprcBounds,
                         const RECT* lprcWBounds, void* pfnContinue, std::uintptr_t dwContinue) = 0;

protected:
    ~IViewObject() = default;
};

// The outgoing interface a container advises on a control (IConnectionPointContainer) to hear
// of property changes.
struct IPropertyNotifySink : IUnknown {
    virtual HRESULT OnChanged(DISPID dispID) = 0;
    virtual HRESULT OnRequestEdit(DISPID dispID) = 0;

protected:
    ~IPropertyNotifySink() = default;
};

constexpr HRESULT OLE_E_BLANK = static_cast<HRESULT>(0x80040007);

constexpr IID IID_IOleWindow = makeGuid("{00000114-0000-0000-C000-000000000046}");
constexpr IID IID_IOleClientSite = makeGuid("{00000118-0000-0000-C000-000000000046}");
constexpr IID IID_IOleContainer = makeGuid("{0000011B-0000-0000-C000-000000000046}");
constexpr IID IID_IOleObject = makeGuid("{00000112-0000-0000-C000-000000000046}");
constexpr IID IID_IOleInPlaceObject = makeGuid("{00000113-0000-0000-C000-000000000046}");
constexpr IID IID_IOleInPlaceSite = makeGuid("{00000119-0000-0000-C000-000000000046}");
constexpr IID IID_IViewObject = makeGuid("{0000010D-0000-0000-C000-000000000046}");
constexpr IID IID_IPropertyNotifySink = makeGuid("{9BFBBC02-EFF1-101A-84ED-00AA00BDCE0B}");
template <> inline constexpr IID iidOf<IOleWindow> = IID_IOleWindow;
template <> inline constexpr IID iidOf<IOleClientSite> = IID_IOleClientSite;
template <> inline constexpr IID iidOf<IOleContainer> = IID_IOleContainer;
template <> inline constexpr IID iidOf<IOleObject> = IID_IOleObject;
template <> inline constexpr IID iidOf<IOleInPlaceObject> = IID_IOleInPlaceObject;
template <> inline constexpr IID iidOf<IOleInPlaceSite> = IID_IOleInPlaceSite;
template <> inline constexpr IID iidOf<IViewObject> = IID_IViewObject;
template <> inline constexpr IID iidOf<IPropertyNotifySink> = IID_IPropertyNotifySink;
template <> struct InterfaceParent<IOleInPlaceObject> {
    using type = IOleWindow;
};
template <> struct InterfaceParent<IOleInPlaceSite> {
    using type = IOleWindow;
};
