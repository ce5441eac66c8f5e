#include "namespace/wizard/ItemPage.h"

namespace foldra {

ItemPage::ItemPage(EditedItem& item, const QString& title, QWidget* parent)
    : QWizardPage(parent), m_item(item)
{
    setTitle(title);
}

} // namespace foldra
