#pragma once
// The cameras of a camera switching, shown in turn, and how long each is shown.

#include "namespace/wizard/ItemPage.h"

#include <cstdint>
#include <optional>
#include <string>

class QLineEdit;
class QToolButton;

namespace foldra {

class CameraChecklist;

// The display time typed in seconds, in ms: a decimal number above 0 with at most three
// places after the point, that fits the record. Nothing for any other text.
std::optional<std::uint32_t> displayTimeOf(const std::string& seconds);
// How the page shows a display time: seconds, with places after the point only when needed.
std::string displayTimeText(std::uint32_t ms);

class SwitchCamerasPage final : public ItemPage {
    Q_OBJECT
public:
    explicit SwitchCamerasPage(EditedItem& item, QWidget* parent = nullptr);

    void activate() override;
    // Refuses a display time that is not a number above 0 (1020).
    bool leave() override;

private:
    bool canGoOn() const override;

    CameraChecklist* m_cameras; // 258, "cameraList"
    QToolButton* m_checkAll;    // 261, "checkAllButton"
    QToolButton* m_uncheckAll;  // 262, "uncheckAllButton"
    QLineEdit* m_displayTime;   // 260, "displayTimeEdit"
};

} // namespace foldra
