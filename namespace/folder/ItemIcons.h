#pragma once
// The icons of the item kinds, closed and open, drawn at 32 and 16 pixels. Positions in the
// image lists: two per kind (closed, then open) in the order of kIconKinds.

#include "namespace/store/ItemKind.h"

#include <QIcon>

namespace foldra {

inline constexpr ItemKind kIconKinds[] = {
    ItemKind::Camera,   ItemKind::LiveSite,    ItemKind::QuadView,     ItemKind::SwitchCam,
    ItemKind::Album,    ItemKind::AddFolder,   ItemKind::AddCamera,    ItemKind::AddLiveSite,
    ItemKind::AddAlbum, ItemKind::AddQuadView, ItemKind::AddSwitchCam,
};
inline constexpr int kIconLargeSize = 32;
inline constexpr int kIconSmallSize = 16;

// The position of a kind's icon; -1 for kinds without one.
int iconPosition(ItemKind kind, bool open);
int iconCount();
// Both sizes; a null icon for a position out of range. Needs a QGuiApplication.
QIcon iconAt(int position);
QPixmap iconPixmap(int position, int size);

} // namespace foldra
