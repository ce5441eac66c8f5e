#include "namespace/folder/CamFolder.h"

#include "common/FoldraClasses.h"
#include "namespace/folder/CamFolderView.h"
#include "namespace/folder/CompareRule.h"
#include "namespace/folder/FolderModule.h"
#include "namespace/folder/ItemContextMenu.h"
#include "namespace/folder/ItemDataObject.h"
#include "namespace/folder/ItemEnumerator.h"
#include "namespace/folder/ItemIconExtractor.h"
#include "namespace/resources/FoldraStrings.h"
#include "namespace/store/ItemPath.h"
#include "namespace/views/ContentViews.h"
#include "platform/base/Utf.h"
#include "platform/com/ComPtr.h"
#include "platform/com/TaskMemory.h"
#include "platform/shell/ChangeNotify.h"

#include <cstring>
#include <vector>

namespace foldra {
namespace {

constexpr ULONG kContentAttributes =
    SFGAO_FOLDER | SFGAO_HASPROPSHEET | SFGAO_CANDELETE | SFGAO_CANRENAME | SFGAO_CANLINK;
constexpr const char* kUnknownName = "???";

unsigned addItemText(ItemKind kind)
{
    switch (kind) {
    case ItemKind::AddFolder:
        return IDS_ADD;
    case ItemKind::AddCamera:
        return IDS_ADD_CAMERA;
    case ItemKind::AddLiveSite:
        return IDS_ADD_LIVE_SITE;
    case ItemKind::AddAlbum:
        return IDS_ADD_ALBUM;
    case ItemKind::AddQuadView:
        return IDS_ADD_QUAD_VIEW;
    case ItemKind::AddSwitchCam:
        return IDS_ADD_SWITCH_CAM;
    default:
        return 0;
    }
}

LPOLESTR taskString(const std::string& utf8)
{
    std::u16string wide = utf8ToUtf16(utf8);
    auto* out = static_cast<LPOLESTR>(CoTaskMemAlloc((wide.size() + 1) * sizeof(OLECHAR)));
    if (!out)
        return nullptr;
    std::memcpy(out, wide.c_str(), (wide.size() + 1) * sizeof(OLECHAR));
    return out;
}

} // namespace

CamFolder::CamFolder() : UnknownImpl(&moduleLiveCount()) {}

HRESULT CamFolder::GetClassID(CLSID* pClassID)
{
    if (!pClassID)
        return E_POINTER;
    *pClassID = CLSID_CamFolder;
    return S_OK;
}

HRESULT CamFolder::Initialize(LPCITEMIDLIST pidl)
{
    if (!pidl)
        return E_INVALIDARG;
    IdList copy(ILClone(pidl));
    if (!copy)
        return E_OUTOFMEMORY;
    m_absolute = std::move(copy);
    m_path = itemPathOf(m_absolute.get());
    if (m_path.empty())
        setRootIdList(m_absolute.get());
    return S_OK;
}

HRESULT CamFolder::ParseDisplayName(HWND, IBindCtx*, LPOLESTR, ULONG*, LPITEMIDLIST*, ULONG*)
{
    return E_NOTIMPL;
}

HRESULT CamFolder::EnumObjects(HWND, DWORD, IEnumIDList** ppenumIDList)
{
    if (!ppenumIDList)
        return E_POINTER;
    *ppenumIDList = nullptr;
    std::vector<CamItemId> items;
    // An object file that cannot be opened was reported; the folder then lists nothing.
    m_store.Enumerate(m_path, &items);
    return ItemEnumerator::createInstance(nullptr, IID_IEnumIDList,
                                          reinterpret_cast<void**>(ppenumIDList), std::move(items));
}

HRESULT CamFolder::BindToObject(LPCITEMIDLIST pidl, IBindCtx*, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IShellFolder))
        return E_NOINTERFACE;
    if (ILIsEmpty(pidl))
        return E_INVALIDARG;
    IdList child(ILCombine(m_absolute.get(), pidl));
    if (!child)
        return E_OUTOFMEMORY;
    return createCamFolder(child.get(), riid, ppv);
}

HRESULT CamFolder::BindToStorage(LPCITEMIDLIST, IBindCtx*, REFIID, void** ppv)
{
    if (ppv)
        *ppv = nullptr;
    return E_NOTIMPL;
}

HRESULT CamFolder::CompareIDs(LPARAM, LPCITEMIDLIST pidl1, LPCITEMIDLIST pidl2)
{
    const CamItemId* a = ownItemId(pidl1);
    const CamItemId* b = ownItemId(pidl2);
    if (!a || !b)
        return E_INVALIDARG;
    return compareResult(compareItems(*a, *b));
}

HRESULT CamFolder::CreateViewObject(HWND hwndOwner, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IShellView))
        return E_NOINTERFACE;
    const CamItemId* own = lastOwnItemId(m_absolute.get());
    if (!own || !isContentKind(own->itemKind()))
        return CamFolderView::createInstance(nullptr, riid, ppv, this, hwndOwner,
                                             FolderViewContent::Items);
    ViewContext context;
    context.folder = ComPtr<IUnknown>(static_cast<IShellFolder*>(this));
    context.store = m_store;
    context.itemPath = m_path;
    context.kind = own->itemKind();
    context.owner = hwndOwner;
    // A record that cannot be read leaves the view without a camera: it stays dark.
    m_store.Read(m_path, &context.record);
    HRESULT hr = createContentView(context, riid, ppv);
    if (hr != E_NOTIMPL)
        return hr;
    // A kind whose view is not part of the module yet shows an empty pane.
    return CamFolderView::createInstance(nullptr, riid, ppv, this, hwndOwner,
                                         FolderViewContent::Empty);
}

HRESULT CamFolder::GetAttributesOf(UINT cidl, const LPCITEMIDLIST* apidl, ULONG* rgfInOut)
{
    if (!rgfInOut || (cidl && !apidl))
        return E_POINTER;
    for (UINT i = 0; i < cidl; ++i) {
        const CamItemId* id = ownItemId(apidl[i]);
        ULONG allowed = 0;
        if (id && isContentKind(id->itemKind()))
            allowed = kContentAttributes;
        else if (id && id->itemKind() == ItemKind::AddFolder)
            allowed = SFGAO_FOLDER;
        *rgfInOut &= allowed;
    }
    return S_OK;
}

HRESULT CamFolder::GetUIObjectOf(HWND hwndOwner, UINT cidl, const LPCITEMIDLIST* apidl, REFIID riid,
                                 UINT*, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (cidl == 0 || !apidl)
        return E_INVALIDARG;
    std::vector<CamItemId> items;
    for (UINT i = 0; i < cidl; ++i) {
        const CamItemId* id = ownItemId(apidl[i]);
        if (!id)
            return E_INVALIDARG;
        items.push_back(*id);
    }
    if (IsEqualIID(riid, IID_IExtractIconA))
        return ItemIconExtractor::createInstance(nullptr, riid, ppv, items.front().itemKind());
    if (IsEqualIID(riid, IID_IContextMenu)) {
        for (const CamItemId& id : items)
            if (kindValue(id.itemKind()) > 29)
                return E_NOINTERFACE;
        return ItemContextMenu::createInstance(nullptr, riid, ppv, this, hwndOwner,
                                               std::move(items));
    }
    if (IsEqualIID(riid, IID_IDataObject))
        return ItemDataObject::createInstance(nullptr, riid, ppv, m_absolute.get(), items);
    return E_NOINTERFACE;
}

std::string CamFolder::displayName(const CamItemId& item, DWORD flags) const
{
    if (unsigned text = addItemText(item.itemKind()))
        return loadString(text);
    std::string path = (flags & 0xFF) ? item.nameUtf8() : joinItemPath(m_path, item.nameUtf8());
    ItemRecord record;
    if (SUCCEEDED(m_store.Read(joinItemPath(m_path, item.nameUtf8()), &record)) &&
        !record.name.empty())
        return record.name;
    return path.empty() ? std::string(kUnknownName) : path;
}

HRESULT CamFolder::GetDisplayNameOf(LPCITEMIDLIST pidl, DWORD uFlags, STRRET* pName)
{
    if (!pName)
        return E_POINTER;
    const CamItemId* id = ownItemId(pidl);
    pName->uType = STRRET_WSTR;
    pName->pOleStr = taskString(id ? displayName(*id, uFlags) : std::string(kUnknownName));
    return pName->pOleStr ? S_OK : E_OUTOFMEMORY;
}

HRESULT CamFolder::SetNameOf(HWND hwnd, LPCITEMIDLIST pidl, LPCOLESTR pszName, DWORD,
                             LPITEMIDLIST* ppidlOut)
{
    if (ppidlOut)
        *ppidlOut = nullptr;
    const CamItemId* id = ownItemId(pidl);
    if (!id)
        return E_INVALIDARG;
    std::string name = utf16ToUtf8(pszName);
    if (name.empty())
        return E_INVALIDARG;
    CamItemId renamed{};
    if (HRESULT hr = m_store.Rename(m_path, id->nameUtf8(), name, &renamed, hwnd); FAILED(hr))
        return hr;
    IdList oldChild(ILCloneFirst(pidl));
    IdList newChild(renamed.toIdList());
    IdList oldAbsolute(ILCombine(m_absolute.get(), oldChild.get()));
    IdList newAbsolute(ILCombine(m_absolute.get(), newChild.get()));
    SHChangeNotify(SHCNE_RENAMEFOLDER, SHCNF_IDLIST, oldAbsolute.get(), newAbsolute.get());
    if (ppidlOut)
        *ppidlOut = newChild.release();
    return S_OK;
}

HRESULT createCamFolder(LPCITEMIDLIST absolute, REFIID riid, void** ppv)
{
    ComPtr<IPersistFolder> folder;
    HRESULT hr = CamFolder::createInstance(nullptr, IID_IPersistFolder, folder.putVoid());
    if (FAILED(hr))
        return hr;
    if (hr = folder->Initialize(absolute); FAILED(hr))
        return hr;
    return folder->QueryInterface(riid, ppv);
}

} // namespace foldra
