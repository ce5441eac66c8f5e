#pragma once
// The address of a live video site: the URL of the stream its server pushes.

#include "namespace/wizard/ItemPage.h"

class QLineEdit;

namespace foldra {

class UrlPage final : public ItemPage {
    Q_OBJECT
public:
    explicit UrlPage(EditedItem& item, QWidget* parent = nullptr);

    void activate() override;
    bool leave() override;

private:
    bool canGoOn() const override;

    QLineEdit* m_url;      // 207, "urlEdit"
    bool m_edited = false; // until the user types, only a stored address lets the wizard on
};

} // namespace foldra
