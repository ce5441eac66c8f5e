#pragma once
// The introduction that opens the live video site and album wizards.

#include "namespace/wizard/ItemPage.h"

namespace foldra {

class IntroPage final : public ItemPage {
    Q_OBJECT
public:
    IntroPage(EditedItem& item, const QString& title, const QString& text,
              QWidget* parent = nullptr);

    void activate() override {}
    bool leave() override { return true; }
};

} // namespace foldra
