#pragma once
// The wizard of one add-item: three pages that fill a new record, caption "Add".

#include "namespace/wizard/EditedItem.h"

#include <QWizard>
#include <vector>

namespace foldra {

class ItemPage;

class ItemWizard final : public QWizard {
    Q_OBJECT
public:
    // addItem: one of the kinds 30-34.
    explicit ItemWizard(ItemKind addItem, QWidget* parent = nullptr);

    EditedItem& item() { return m_item; }
    ItemPage* itemPage(int index) const { return m_pages.at(static_cast<std::size_t>(index)); }

protected:
    // Pages are shown again as they were left (Back keeps what was typed) and tell themselves
    // when they become active.
    void initializePage(int) override {}
    void cleanupPage(int) override {}

private:
    void addItemPage(ItemPage* page);

    EditedItem m_item;
    std::vector<ItemPage*> m_pages; // owned by the wizard as its pages
};

} // namespace foldra
