#pragma once
// The add wizards and the property sheets of the items. The folder and its views call these;
// the pages themselves live beside them.

#include "namespace/store/ItemKind.h"
#include "platform/com/Hresult.h"
#include "platform/com/WinTypes.h"
#include "platform/shell/ItemIdList.h"

#include <functional>

namespace foldra {

// Runs the wizard of an add-item (kinds 30-34) owned by the list view's window; creates the
// item and announces it when the user finishes. S_FALSE when cancelled.
HRESULT RunAddWizard(ItemKind addItem, HWND owner);
// The property sheet of a content item (its absolute list); saves and announces a change.
HRESULT ShowProperties(LPCITEMIDLIST absoluteItem, HWND owner);

// Until the pages exist, the two entries answer E_NOTIMPL; a runner set here takes their
// place (tests see which item asked for what).
using AddWizardRunner = std::function<HRESULT(ItemKind addItem, HWND owner)>;
using PropertiesRunner = std::function<HRESULT(LPCITEMIDLIST absoluteItem, HWND owner)>;
void setAddWizardRunner(AddWizardRunner runner);
void setPropertiesRunner(PropertiesRunner runner);

} // namespace foldra
