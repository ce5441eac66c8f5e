#include "namespace/folder/ItemContextMenu.h"

#include "namespace/folder/CamFolder.h"
#include "namespace/folder/FolderModule.h"
#include "namespace/resources/FoldraStrings.h"
#include "namespace/store/ItemPath.h"
#include "namespace/wizard/AddWizard.h"
#include "platform/shell/ChangeNotify.h"
#include "platform/shell/CommandEvent.h"
#include "platform/shell/ShellExecute.h"
#include "platform/shell/ShellMenu.h"

#include <cstring>

namespace foldra {
namespace {

constexpr UINT kUsedShort = 3; // menu ends after Open or Open home page
constexpr UINT kUsedFull = 7;

bool copyVerb(const char* verb, UINT uType, LPSTR out, UINT cchMax)
{
    if (!out || cchMax == 0)
        return false;
    if (uType & GCS_UNICODE) {
        auto* wide = reinterpret_cast<char16_t*>(out);
        std::size_t n = std::min<std::size_t>(std::strlen(verb), cchMax - 1);
        for (std::size_t i = 0; i < n; ++i)
            wide[i] = static_cast<char16_t>(verb[i]);
        wide[n] = 0;
    } else {
        std::size_t n = std::min<std::size_t>(std::strlen(verb), cchMax - 1);
        std::memcpy(out, verb, n);
        out[n] = '\0';
    }
    return true;
}

} // namespace

ItemContextMenu::ItemContextMenu(CamFolder* folder, HWND owner, std::vector<CamItemId> items)
    : UnknownImpl(&moduleLiveCount()), m_folderRef(static_cast<IShellFolder*>(folder)),
      m_folder(folder), m_owner(owner), m_items(std::move(items))
{}

bool ItemContextMenu::allOfKind(ItemKind kind) const
{
    for (const CamItemId& id : m_items)
        if (id.itemKind() != kind)
            return false;
    return !m_items.empty();
}

bool ItemContextMenu::anyAbove(int kind) const
{
    for (const CamItemId& id : m_items)
        if (kindValue(id.itemKind()) > kind)
            return true;
    return false;
}

HRESULT ItemContextMenu::QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT,
                                          UINT uFlags)
{
    m_explore = (uFlags & CMF_EXPLORE) != 0;
    if (uFlags & CMF_DEFAULTONLY) {
        UINT offset = m_explore ? kMenuExplore : kMenuOpen;
        run(offset, m_owner);
        return menuResult(offset + 1);
    }
    if (!hmenu)
        return E_INVALIDARG;
    UINT at = indexMenu;
    auto item = [&](UINT offset, unsigned text) {
        insertMenuItem(hmenu, at++, idCmdFirst + offset, loadString(text));
    };
    item(kMenuExplore, IDS_MENU_EXPLORE);
    item(kMenuOpen, IDS_MENU_OPEN);
    setMenuDefaultItem(hmenu, idCmdFirst + (m_explore ? kMenuExplore : kMenuOpen));
    if (allOfKind(ItemKind::Camera)) {
        insertMenuSeparator(hmenu, at++);
        item(kMenuHomePage, IDS_MENU_HOME_PAGE);
    }
    if (anyAbove(19))
        return menuResult(kUsedShort);
    bool verbsOnly = (uFlags & CMF_VERBSONLY) != 0;
    if (!verbsOnly) {
        insertMenuSeparator(hmenu, at++);
        item(kMenuDelete, IDS_MENU_DELETE);
        item(kMenuRename, IDS_MENU_RENAME);
    }
    insertMenuSeparator(hmenu, at++);
    item(kMenuProperties, verbsOnly ? IDS_MENU_PROPERTIES_VERBS : IDS_MENU_PROPERTIES);
    return menuResult(kUsedFull);
}

HRESULT ItemContextMenu::InvokeCommand(CMINVOKECOMMANDINFO* pici)
{
    if (!pici)
        return E_POINTER;
    HWND owner = pici->hwnd ? pici->hwnd : m_owner;
    if (IS_INTRESOURCE(pici->lpVerb))
        return run(static_cast<UINT>(reinterpret_cast<UINT_PTR>(pici->lpVerb)), owner);
    if (std::strcmp(pici->lpVerb, "delete") == 0)
        return run(kMenuDelete, owner);
    if (std::strcmp(pici->lpVerb, "properties") == 0)
        return run(kMenuProperties, owner);
    return E_INVALIDARG;
}

HRESULT ItemContextMenu::GetCommandString(UINT_PTR idCmd, UINT uType, UINT*, LPSTR pszName,
                                          UINT cchMax)
{
    UINT base = uType & ~GCS_UNICODE;
    if (base == GCS_VALIDATEA)
        return S_OK;
    if (base == GCS_VERBA && (idCmd == kMenuDelete || idCmd == kMenuRename))
        return copyVerb(idCmd == kMenuDelete ? "delete" : "rename", uType, pszName, cchMax)
                   ? S_OK
                   : E_INVALIDARG;
    return E_INVALIDARG;
}

HRESULT ItemContextMenu::run(UINT offset, HWND owner)
{
    switch (offset) {
    case kMenuExplore:
        return openFirst(owner, "explore");
    case kMenuOpen:
        return openFirst(owner, "open");
    case kMenuHomePage:
        return openHomePage();
    case kMenuDelete:
        return deleteItems(owner);
    case kMenuRename:
        return sendCommand(owner, IDM_RENAME) ? S_OK : E_FAIL;
    case kMenuProperties:
        return showProperties(owner);
    default:
        return E_INVALIDARG;
    }
}

HRESULT ItemContextMenu::openFirst(HWND owner, const char* verb)
{
    IdList child(m_items.front().toIdList());
    IdList absolute(ILCombine(m_folder->absoluteList(), child.get()));
    if (!absolute)
        return E_OUTOFMEMORY;
    return shellExecuteIdList(owner, absolute.get(), verb);
}

HRESULT ItemContextMenu::openHomePage()
{
    ItemRecord record;
    HRESULT hr =
        m_folder->store().Read(joinItemPath(m_folder->path(), m_items.front().nameUtf8()), &record);
    if (FAILED(hr))
        return hr;
    if (record.address.empty())
        return S_FALSE;
    return openDocument("http://" + record.address) ? S_OK : E_FAIL;
}

HRESULT ItemContextMenu::deleteItems(HWND owner)
{
    HRESULT result = S_OK;
    for (const CamItemId& id : m_items) {
        if (kindValue(id.itemKind()) > kindValue(ItemKind::Album))
            continue;
        IdList child(id.toIdList());
        IdList absolute(ILCombine(m_folder->absoluteList(), child.get()));
        HRESULT hr = m_folder->store().Delete(itemPathOf(absolute.get()), owner);
        if (SUCCEEDED(hr))
            SHChangeNotify(SHCNE_RMDIR, SHCNF_IDLIST, absolute.get(), nullptr);
        else
            result = hr;
    }
    return result;
}

HRESULT ItemContextMenu::showProperties(HWND owner)
{
    IdList child(m_items.front().toIdList());
    IdList absolute(ILCombine(m_folder->absoluteList(), child.get()));
    return ShowProperties(absolute.get(), owner);
}

} // namespace foldra
