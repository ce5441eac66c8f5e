#pragma once
// The kinds of namespace items. The values are stored in item records and item identifiers.

#include <cstdint>

namespace foldra {

enum class ItemKind : std::int32_t {
    Camera = 0,
    LiveSite = 1,
    QuadView = 2,
    SwitchCam = 3,
    Album = 10,
    SubFolder = 11,
    AddFolder = 20,
    AddCamera = 30,
    AddLiveSite = 31,
    AddAlbum = 32,
    AddQuadView = 33,
    AddSwitchCam = 34,
};

inline constexpr std::int32_t kindValue(ItemKind kind)
{
    return static_cast<std::int32_t>(kind);
}

// Kinds 30 and above run an add wizard when activated.
inline constexpr bool isAddItem(ItemKind kind)
{
    return kindValue(kind) >= 30;
}

// Cameras, live sites, quad views, switchings and albums: folders with a view of their own.
inline constexpr bool isContentKind(ItemKind kind)
{
    return kindValue(kind) <= 3 || kind == ItemKind::Album;
}

// The content kind an add-item creates; Camera for anything that is not an add-item.
inline constexpr ItemKind kindCreatedBy(ItemKind addItem)
{
    switch (addItem) {
    case ItemKind::AddLiveSite:
        return ItemKind::LiveSite;
    case ItemKind::AddAlbum:
        return ItemKind::Album;
    case ItemKind::AddQuadView:
        return ItemKind::QuadView;
    case ItemKind::AddSwitchCam:
        return ItemKind::SwitchCam;
    default:
        return ItemKind::Camera;
    }
}

} // namespace foldra
