#pragma once
// The first page of "Add Camera": the camera's address or name, optionally with ":port".

#include "namespace/wizard/ItemPage.h"

class QLineEdit;

namespace foldra {

class HostPage final : public ItemPage {
    Q_OBJECT
public:
    explicit HostPage(EditedItem& item, QWidget* parent = nullptr);

    void activate() override;
    bool leave() override;

private:
    bool canGoOn() const override;

    QLineEdit* m_address; // 246, "hostEdit"
};

} // namespace foldra
