#pragma once
// The add wizards and the property sheets of the items. The folder and its views call these;
// the pages themselves live beside them.

#include "namespace/store/ItemKind.h"
#include "platform/base/Hresult.h"
#include "platform/base/WinTypes.h"
#include "platform/shell/ItemIdList.h"

#include <functional>

namespace foldra {

// Runs the wizard of an add-item (kinds 30-34) owned by the list view's window; creates the
// item and announces it when the user finishes. S_FALSE when cancelled.
HRESULT RunAddWizard(ItemKind addItem, HWND owner);
// The property sheet of a content item (its absolute list); saves and announces a change.
HRESULT ShowProperties(LPCITEMIDLIST absoluteItem, HWND owner);

// What the two do once their dialog was accepted: create the confirmed item in the root and
// announce it (event 8), or save it under its path and announce the update (event 0x20000).
// S_FALSE when the record was not confirmed.
struct EditedItem;
HRESULT createEditedItem(EditedItem& item, HWND owner);
HRESULT saveEditedItem(EditedItem& item, LPCITEMIDLIST absoluteItem);

// A runner set here takes the place of the dialogs (tests of the folder see which item asked
// for what); an empty function puts the dialogs back.
using AddWizardRunner = std::function<HRESULT(ItemKind addItem, HWND owner)>;
using PropertiesRunner = std::function<HRESULT(LPCITEMIDLIST absoluteItem, HWND owner)>;
void setAddWizardRunner(AddWizardRunner runner);
void setPropertiesRunner(PropertiesRunner runner);

} // namespace foldra
