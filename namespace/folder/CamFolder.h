#pragma once
// The namespace's folder: one per folder the browser shows (the root, the Add folder, and
// every content item, whose folder shows its live or album view). Called on the browser's
// user-interface thread.

#include "common/ICamFolder.h"
#include "namespace/store/ItemStore.h"
#include "platform/shell/ShellFolder.h"
#include "platform/shell/ShellView.h"

#include <string>

namespace foldra {

// Command identifiers of the views' menus (menu 208).
inline constexpr UINT IDM_DELETE = 28689;
inline constexpr UINT IDM_RENAME = 28690;
inline constexpr UINT IDM_PROPERTIES = 28691;
inline constexpr UINT IDM_VIEW_LARGEICONS = 28713;
inline constexpr UINT IDM_VIEW_SMALLICONS = 28714;
inline constexpr UINT IDM_VIEW_LIST = 28715;
inline constexpr UINT IDM_VIEW_DETAILS = 28716;
inline constexpr UINT IDM_VIEW_BUTTON = 28718;
inline constexpr UINT IDM_HELP_CONTENTS = 24586;
inline constexpr UINT IDM_ABOUT = 24588;

class CamFolder final : public UnknownImpl<CamFolder, IShellFolder, IPersistFolder, ICamFolder> {
public:
    CamFolder();

    // IPersist / IPersistFolder
    HRESULT GetClassID(CLSID* pClassID) override;
    HRESULT Initialize(LPCITEMIDLIST pidl) override;

    // IShellFolder
    HRESULT ParseDisplayName(HWND, IBindCtx*, LPOLESTR, ULONG*, LPITEMIDLIST*, ULONG*) override;
    HRESULT EnumObjects(HWND hwnd, DWORD grfFlags, IEnumIDList** ppenumIDList) override;
    HRESULT BindToObject(LPCITEMIDLIST pidl, IBindCtx* pbc, REFIID riid, void** ppv) override;
    HRESULT BindToStorage(LPCITEMIDLIST pidl, IBindCtx* pbc, REFIID riid, void** ppv) override;
    HRESULT CompareIDs(LPARAM lParam, LPCITEMIDLIST pidl1, LPCITEMIDLIST pidl2) override;
    HRESULT CreateViewObject(HWND hwndOwner, REFIID riid, void** ppv) override;
    HRESULT GetAttributesOf(UINT cidl, const LPCITEMIDLIST* apidl, ULONG* rgfInOut) override;
    HRESULT GetUIObjectOf(HWND hwndOwner, UINT cidl, const LPCITEMIDLIST* apidl, REFIID riid,
                          UINT* rgfReserved, void** ppv) override;
    HRESULT GetDisplayNameOf(LPCITEMIDLIST pidl, DWORD uFlags, STRRET* pName) override;
    HRESULT SetNameOf(HWND hwnd, LPCITEMIDLIST pidl, LPCOLESTR pszName, DWORD uFlags,
                      LPITEMIDLIST* ppidlOut) override;

    // For the folder's own views and menus.
    LPCITEMIDLIST absoluteList() const { return m_absolute.get(); }
    const std::string& path() const { return m_path; }
    const ItemStore& store() const { return m_store; }
    // The display name (UTF-8) as GetDisplayNameOf gives it.
    std::string displayName(const CamItemId& item, DWORD flags) const;

private:
    ~CamFolder() override = default;

    IdList m_absolute;
    std::string m_path;
    ItemStore m_store;
};

// Creates an initialised folder for an absolute list (the folder's views bind with it).
HRESULT createCamFolder(LPCITEMIDLIST absolute, REFIID riid, void** ppv);

} // namespace foldra
