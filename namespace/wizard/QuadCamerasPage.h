#pragma once
// The four cameras of a quad view, checked in the list of the root's cameras.

#include "namespace/wizard/ItemPage.h"

namespace foldra {

class CameraChecklist;

// A quad view shows four cameras; its member list always holds four entries.
inline constexpr int kQuadMembers = 4;

class QuadCamerasPage final : public ItemPage {
    Q_OBJECT
public:
    explicit QuadCamerasPage(EditedItem& item, QWidget* parent = nullptr);

    void activate() override;
    // The first four checked cameras in list order, the rest of the four entries empty.
    bool leave() override;

private:
    bool canGoOn() const override;

    CameraChecklist* m_cameras; // 257, "cameraList"
};

} // namespace foldra
