#pragma once
// The view a folder shows in the browser's pane, and the browser it talks back to, in the slot
// order of the desktop shell's declarations. Both are called on the user-interface thread.
//
// Menus are Qt here: an HMENU is a QMenuBar or QMenu (see ShellMenu.h). A view merges its
// items into the browser's menu with InsertMenusSB/SetMenuSB and connects them itself; the
// browser passes its tool bar commands to the view window as CommandEvents (CommandEvent.h).

#include "platform/com/Storage.h"
#include "platform/com/Stream.h"
#include "platform/com/UnknownImpl.h"
#include "platform/shell/ItemIdList.h"

struct HMENU__;
using HMENU = HMENU__*;
using HOLEMENU = void*;
struct MSG; // accelerators are Qt shortcuts of the view; never passed

inline constexpr IID IID_IOleWindow = makeGuid("{00000114-0000-0000-C000-000000000046}");
inline constexpr IID IID_IShellView = makeGuid("{000214E3-0000-0000-C000-000000000046}");
inline constexpr IID IID_IShellBrowser = makeGuid("{000214E2-0000-0000-C000-000000000046}");

// View modes of FOLDERSETTINGS
inline constexpr UINT FVM_ICON = 1;
inline constexpr UINT FVM_SMALLICON = 2;
inline constexpr UINT FVM_LIST = 3;
inline constexpr UINT FVM_DETAILS = 4;

struct FOLDERSETTINGS {
    UINT ViewMode;
    UINT fFlags;
};
using LPCFOLDERSETTINGS = const FOLDERSETTINGS*;
using LPFOLDERSETTINGS = FOLDERSETTINGS*;

// UIActivate states
inline constexpr UINT SVUIA_DEACTIVATE = 0;
inline constexpr UINT SVUIA_ACTIVATE_NOFOCUS = 1;
inline constexpr UINT SVUIA_ACTIVATE_FOCUS = 2;

// SelectItem flags
inline constexpr UINT SVSI_DESELECT = 0x0;
inline constexpr UINT SVSI_SELECT = 0x1;
inline constexpr UINT SVSI_EDIT = 0x3;
inline constexpr UINT SVSI_DESELECTOTHERS = 0x4;

// BrowseObject flags
inline constexpr UINT SBSP_SAMEBROWSER = 0x0001;
inline constexpr UINT SBSP_NEWBROWSER = 0x0002;
inline constexpr UINT SBSP_ABSOLUTE = 0x0000;
inline constexpr UINT SBSP_RELATIVE = 0x1000;
inline constexpr UINT SBSP_PARENT = 0x2000;

// GetControlWindow / SendControlMsg controls and the tool bar messages the views send
inline constexpr UINT FCW_STATUS = 1;
inline constexpr UINT FCW_TOOLBAR = 2;
inline constexpr UINT FCW_TREE = 3;
inline constexpr UINT TB_CHECKBUTTON = 0x0402;
inline constexpr UINT TB_ISBUTTONCHECKED = 0x040A;

// The menu groups of the browser's menu bar that views merge into.
inline constexpr UINT FCIDM_MENU_FILE = 0xA000;
inline constexpr UINT FCIDM_MENU_VIEW = 0xA080;
inline constexpr UINT FCIDM_MENU_HELP = 0xA100;

// A tool bar button a view asks for (SetToolbarItems). iBitmap: VIEW_* of the standard set.
inline constexpr BYTE TBSTYLE_BUTTON = 0x00;
inline constexpr BYTE TBSTYLE_SEP = 0x01;
inline constexpr BYTE TBSTYLE_CHECK = 0x02;
inline constexpr BYTE BTNS_DROPDOWN = 0x08;
inline constexpr BYTE TBSTATE_ENABLED = 0x04;
inline constexpr BYTE TBSTATE_CHECKED = 0x01;
inline constexpr int VIEW_LARGEICONS = 0;
inline constexpr int VIEW_SMALLICONS = 1;
inline constexpr int VIEW_LIST = 2;
inline constexpr int VIEW_DETAILS = 3;
inline constexpr int VIEW_VIEWMENU = 12;
inline constexpr UINT FCT_MERGE = 1;

struct TBBUTTON {
    int iBitmap;
    int idCommand;
    BYTE fsState;
    BYTE fsStyle;
    BYTE bReserved[6];
    UINT_PTR dwData;
    const char* iString; // the button's tool tip, UTF-8
};

struct IShellBrowser;

struct IOleWindow : IUnknown {
    virtual HRESULT GetWindow(HWND* phwnd) = 0;
    virtual HRESULT ContextSensitiveHelp(BOOL fEnterMode) = 0;

protected:
    ~IOleWindow() = default;
};
template <> inline constexpr IID iidOf<IOleWindow> = IID_IOleWindow;

struct IShellView : IOleWindow {
    virtual HRESULT TranslateAccelerator(MSG* pmsg) = 0;
    virtual HRESULT EnableModeless(BOOL fEnable) = 0;
    // Merges the view's menus (SVUIA_ACTIVATE_*) or takes them out (SVUIA_DEACTIVATE).
    virtual HRESULT UIActivate(UINT uState) = 0;
    virtual HRESULT Refresh() = 0;
    // Creates the view window as a child of the browser's pane; phWnd receives it.
    virtual HRESULT CreateViewWindow(IShellView* psvPrevious, LPCFOLDERSETTINGS pfs,
                                     IShellBrowser* psb, RECT* prcView, HWND* phWnd) = 0;
    virtual HRESULT DestroyViewWindow() = 0;
    virtual HRESULT GetCurrentInfo(LPFOLDERSETTINGS pfs) = 0;
    virtual HRESULT AddPropertySheetPages(DWORD dwReserved, void* pfn, LPARAM lparam) = 0;
    // Writes the view's settings to the browser's view-state stream.
    virtual HRESULT SaveViewState() = 0;
    virtual HRESULT SelectItem(LPCITEMIDLIST pidlItem, UINT uFlags) = 0;
    virtual HRESULT GetItemObject(UINT uItem, REFIID riid, void** ppv) = 0;

protected:
    ~IShellView() = default;
};
template <> inline constexpr IID iidOf<IShellView> = IID_IShellView;
template <> struct InterfaceParent<IShellView> {
    using type = IOleWindow;
};

struct IShellBrowser : IOleWindow {
    // Puts the browser's own File, View and Help menus into hmenuShared (a QMenuBar), taking
    // out what a view merged before.
    virtual HRESULT InsertMenusSB(HMENU hmenuShared, void* lpMenuWidths) = 0;
    virtual HRESULT SetMenuSB(HMENU hmenuShared, HOLEMENU holemenuRes, HWND hwndActiveObject) = 0;
    virtual HRESULT RemoveMenusSB(HMENU hmenuShared) = 0;
    virtual HRESULT SetStatusTextSB(LPCOLESTR pszStatusText) = 0;
    virtual HRESULT EnableModelessSB(BOOL fEnable) = 0;
    virtual HRESULT TranslateAcceleratorSB(MSG* pmsg, WORD wID) = 0;
    // pidl relative to the current folder (SBSP_RELATIVE), absolute, or null with SBSP_PARENT.
    virtual HRESULT BrowseObject(LPCITEMIDLIST pidl, UINT wFlags) = 0;
    // The view-state stream of the current folder: STGM_READ or STGM_WRITE.
    virtual HRESULT GetViewStateStream(DWORD grfMode, IStream** ppStrm) = 0;
    // FCW_TREE gives the tree pane's window when the browser shows one, else E_FAIL.
    virtual HRESULT GetControlWindow(UINT id, HWND* phwnd) = 0;
    virtual HRESULT SendControlMsg(UINT id, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                   LRESULT* pret) = 0;
    virtual HRESULT QueryActiveShellView(IShellView** ppshv) = 0;
    virtual HRESULT OnViewWindowActive(IShellView* pshv) = 0;
    virtual HRESULT SetToolbarItems(const TBBUTTON* lpButtons, UINT nButtons, UINT uFlags) = 0;

protected:
    ~IShellBrowser() = default;
};
template <> inline constexpr IID iidOf<IShellBrowser> = IID_IShellBrowser;
template <> struct InterfaceParent<IShellBrowser> {
    using type = IOleWindow;
};
