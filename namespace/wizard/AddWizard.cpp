#include "namespace/wizard/AddWizard.h"

#include "namespace/folder/FolderModule.h"
#include "namespace/store/ItemPath.h"
#include "namespace/wizard/ItemWizard.h"
#include "namespace/wizard/PropertySheet.h"
#include "platform/shell/ChangeNotify.h"
#include "platform/window/WindowHandle.h"

namespace foldra {
namespace {
// Set and used on the user-interface thread only.
AddWizardRunner g_wizardRunner;
PropertiesRunner g_propertiesRunner;
} // namespace

HRESULT createEditedItem(EditedItem& item, HWND owner)
{
    if (item.state != EditState::Confirmed)
        return S_FALSE;
    if (item.record.name.empty())
        item.record.name = item.record.address;
    if (item.record.name.empty())
        return S_FALSE; // nothing to name the item by: the store would create nothing
    // The store shows the duplicate-name and failure messages itself.
    const HRESULT hr = item.store.Create(item.record, item.kind, owner);
    if (FAILED(hr))
        return hr;
    if (LPCITEMIDLIST root = rootIdList()) {
        IdList child(CamItemId::make(item.kind, item.record.name).toIdList());
        IdList created(ILCombine(root, child.get()));
        if (created)
            SHChangeNotify(SHCNE_MKDIR, SHCNF_IDLIST, created.get(), nullptr);
    }
    return S_OK;
}

HRESULT saveEditedItem(EditedItem& item, LPCITEMIDLIST absoluteItem)
{
    if (item.state != EditState::Confirmed)
        return S_FALSE;
    const HRESULT hr = item.store.Save(itemPathOf(absoluteItem), item.record, item.kind);
    if (FAILED(hr))
        return hr;
    SHChangeNotify(SHCNE_RENAMEFOLDER, SHCNF_IDLIST, absoluteItem, absoluteItem);
    return S_OK;
}

HRESULT RunAddWizard(ItemKind addItem, HWND owner)
{
    if (g_wizardRunner)
        return g_wizardRunner(addItem, owner);
    if (!isAddItem(addItem))
        return E_INVALIDARG;
    ItemWizard wizard(addItem, widgetOf(owner));
    // Cancel at any page creates nothing, even after a page confirmed the record.
    if (wizard.exec() != QDialog::Accepted)
        return S_FALSE;
    return createEditedItem(wizard.item(), owner);
}

HRESULT ShowProperties(LPCITEMIDLIST absoluteItem, HWND owner)
{
    if (g_propertiesRunner)
        return g_propertiesRunner(absoluteItem, owner);
    if (!absoluteItem)
        return E_POINTER;
    const CamItemId* own = lastOwnItemId(absoluteItem);
    if (!own || !isContentKind(own->itemKind()))
        return E_INVALIDARG;
    ItemStore store;
    ItemRecord record;
    ItemKind kind = own->itemKind();
    const HRESULT hr = store.Read(itemPathOf(absoluteItem), &record, &kind);
    if (FAILED(hr))
        return hr;
    if (record.name.empty())
        record.name = own->nameUtf8();
    PropertySheet sheet(std::move(record), kind, widgetOf(owner));
    if (sheet.pageCount() == 0)
        return E_INVALIDARG;
    if (sheet.exec() != QDialog::Accepted)
        return S_FALSE;
    return saveEditedItem(sheet.item(), absoluteItem);
}

void setAddWizardRunner(AddWizardRunner runner)
{
    g_wizardRunner = std::move(runner);
}

void setPropertiesRunner(PropertiesRunner runner)
{
    g_propertiesRunner = std::move(runner);
}

} // namespace foldra
