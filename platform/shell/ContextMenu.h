#pragma once
// The context menu a folder offers for its items, in the desktop's slot order. hmenu is a
// QMenu (ShellMenu.h); command identifiers are idCmdFirst plus the menu's own offsets.

#include "platform/shell/ShellView.h"

inline constexpr IID IID_IContextMenu = makeGuid("{000214E4-0000-0000-C000-000000000046}");

// QueryContextMenu flags
inline constexpr UINT CMF_NORMAL = 0x0;
inline constexpr UINT CMF_DEFAULTONLY = 0x1;
inline constexpr UINT CMF_VERBSONLY = 0x2;
inline constexpr UINT CMF_EXPLORE = 0x4;

// GetCommandString types
inline constexpr UINT GCS_VERBA = 0x0;
inline constexpr UINT GCS_HELPTEXTA = 0x1;
inline constexpr UINT GCS_VALIDATEA = 0x2;
inline constexpr UINT GCS_VERBW = 0x4;
inline constexpr UINT GCS_HELPTEXTW = 0x5;
inline constexpr UINT GCS_VALIDATEW = 0x6;
inline constexpr UINT GCS_UNICODE = 0x4;

inline constexpr int SW_SHOWNORMAL = 1;

struct CMINVOKECOMMANDINFO {
    DWORD cbSize;
    DWORD fMask;
    HWND hwnd;
    // An offset (below 0x10000, see MAKEINTRESOURCEA) or a verb string.
    LPCSTR lpVerb;
    LPCSTR lpParameters;
    LPCSTR lpDirectory;
    int nShow;
    DWORD dwHotKey;
    void* hIcon;
};

inline LPCSTR MAKEINTRESOURCEA(UINT offset)
{
    return reinterpret_cast<LPCSTR>(static_cast<UINT_PTR>(offset));
}
inline bool IS_INTRESOURCE(LPCSTR verb)
{
    return (reinterpret_cast<UINT_PTR>(verb) >> 16) == 0;
}

// Success with the number of command identifiers used in the code.
constexpr HRESULT menuResult(unsigned used)
{
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, used);
}

struct IContextMenu : IUnknown {
    // S_OK-class result whose code is the highest offset used plus one.
    virtual HRESULT QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                     UINT uFlags) = 0;
    virtual HRESULT InvokeCommand(CMINVOKECOMMANDINFO* pici) = 0;
    virtual HRESULT GetCommandString(UINT_PTR idCmd, UINT uType, UINT* pReserved, LPSTR pszName,
                                     UINT cchMax) = 0;

protected:
    ~IContextMenu() = default;
};
template <> inline constexpr IID iidOf<IContextMenu> = IID_IContextMenu;
