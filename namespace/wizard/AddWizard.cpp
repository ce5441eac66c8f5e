#include "namespace/wizard/AddWizard.h"

namespace foldra {
namespace {
// Set and used on the user-interface thread only.
AddWizardRunner g_wizardRunner;
PropertiesRunner g_propertiesRunner;
} // namespace

HRESULT RunAddWizard(ItemKind addItem, HWND owner)
{
    return g_wizardRunner ? g_wizardRunner(addItem, owner) : E_NOTIMPL;
}

HRESULT ShowProperties(LPCITEMIDLIST absoluteItem, HWND owner)
{
    return g_propertiesRunner ? g_propertiesRunner(absoluteItem, owner) : E_NOTIMPL;
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
