#pragma once
// One page of the add wizards and the property sheets. A wizard shows it as a wizard page; a
// property sheet shows the same widget as a tab. Either way the page is told when it becomes
// active and when the user leaves it (Next, Finish or OK), and says whether the wizard may go
// on (the Next or Finish button).

#include "namespace/wizard/EditedItem.h"

#include <QWizardPage>

namespace foldra {

class ItemPage : public QWizardPage {
    Q_OBJECT
public:
    ItemPage(EditedItem& item, const QString& title, QWidget* parent = nullptr);

    // Shows the record's values; called each time the page becomes active.
    virtual void activate() = 0;
    // Stores the page's values into the record; false keeps the user on the page (after a
    // message saying why).
    virtual bool leave() = 0;

    bool validatePage() override { return leave(); }
    bool isComplete() const override { return canGoOn(); }

protected:
    // Next (or Finish) is enabled.
    virtual bool canGoOn() const { return true; }
    // The buttons follow canGoOn() again.
    void updateButtons() { emit completeChanged(); }

    EditedItem& m_item;
};

} // namespace foldra
