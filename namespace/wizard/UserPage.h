#pragma once
// User name and password that a quad view or a camera switching sends to all its cameras.

#include "namespace/wizard/ItemPage.h"

class QLineEdit;

namespace foldra {

class UserPage final : public ItemPage {
    Q_OBJECT
public:
    explicit UserPage(EditedItem& item, QWidget* parent = nullptr);

    void activate() override;
    bool leave() override;

private:
    QLineEdit* m_user;     // 264, "userEdit"
    QLineEdit* m_password; // 265, "passwordEdit"
};

} // namespace foldra
