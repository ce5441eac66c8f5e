#pragma once
// The last page of every wizard: the item's name in the browser, proposed by the pages before.

#include "namespace/wizard/ItemPage.h"

class QLineEdit;

namespace foldra {

class NamePage final : public ItemPage {
    Q_OBJECT
public:
    explicit NamePage(EditedItem& item, QWidget* parent = nullptr);

    void activate() override;
    // Finish: the text, or the address when the text is empty.
    bool leave() override;

private:
    bool canGoOn() const override;

    QLineEdit* m_name; // 203, "nameEdit"
};

} // namespace foldra
