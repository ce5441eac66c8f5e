#pragma once
// The property sheet of an existing item: the pages of its kind as tabs, OK and Cancel (no
// Apply), the item's name in the title.

#include "namespace/wizard/EditedItem.h"

#include <QDialog>
#include <vector>

class QTabWidget;

namespace foldra {

class ItemPage;

class PropertySheet final : public QDialog {
    Q_OBJECT
public:
    // The record read from the store under its path; the pages show it at once. kind: one of
    // the content kinds (no pages for any other).
    PropertySheet(ItemRecord record, ItemKind kind, QWidget* parent = nullptr);

    EditedItem& item() { return m_item; }
    int pageCount() const { return static_cast<int>(m_pages.size()); }
    ItemPage* itemPage(int index) const { return m_pages.at(static_cast<std::size_t>(index)); }

    // OK: every page stores its values; a page that refuses is shown and the sheet stays.
    void accept() override;

private:
    EditedItem m_item;
    QTabWidget* m_tabs;
    std::vector<ItemPage*> m_pages;
};

} // namespace foldra
