#pragma once
// The context menu of a selection of items in one folder. Offsets: 1 Explore, 2 Open,
// 3 Open home page (cameras only), 4 Delete, 5 Rename, 6 Properties.

#include "namespace/store/CamItemId.h"
#include "platform/com/ComPtr.h"
#include "platform/shell/ContextMenu.h"

#include <vector>

namespace foldra {

class CamFolder;

enum ItemMenuOffset : UINT {
    kMenuExplore = 1,
    kMenuOpen = 2,
    kMenuHomePage = 3,
    kMenuDelete = 4,
    kMenuRename = 5,
    kMenuProperties = 6,
};

class ItemContextMenu final : public UnknownImpl<ItemContextMenu, IContextMenu> {
public:
    ItemContextMenu(CamFolder* folder, HWND owner, std::vector<CamItemId> items);

    HRESULT QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                             UINT uFlags) override;
    HRESULT InvokeCommand(CMINVOKECOMMANDINFO* pici) override;
    HRESULT GetCommandString(UINT_PTR idCmd, UINT uType, UINT* pReserved, LPSTR pszName,
                             UINT cchMax) override;

private:
    ~ItemContextMenu() override = default;

    HRESULT run(UINT offset, HWND owner);
    HRESULT openFirst(HWND owner, const char* verb);
    HRESULT openHomePage();
    HRESULT deleteItems(HWND owner);
    HRESULT showProperties(HWND owner);
    bool allOfKind(ItemKind kind) const;
    bool anyAbove(int kind) const;

    ComPtr<IUnknown> m_folderRef; // keeps m_folder alive
    CamFolder* m_folder;
    HWND m_owner;
    std::vector<CamItemId> m_items;
    bool m_explore = false;
};

} // namespace foldra
