#pragma once
// The commands of the album view's menu 209 and when each is enabled: by the type of the first
// selected item (extensions compared without letter case).

#include "namespace/views/ViewMenu.h"

#include <string>
#include <vector>

namespace foldra {

inline constexpr UINT IDM_ALBUM_VIEW = 24577;
inline constexpr UINT IDM_CHANGE_FRAME_RATE = 24579;
inline constexpr UINT IDM_SPLIT_SEQUENCE = 24580;
inline constexpr UINT IDM_CREATE_SEQUENCE = 24581;
inline constexpr UINT IDM_CREATE_AVI = 24582;
inline constexpr UINT IDM_ALBUM_OPEN = 30790;

// Delete (28689), Select all and the view modes are handled by the view as well; this answers
// for the album's own six and Delete.
bool albumCommandEnabled(UINT id, const std::vector<std::string>& selectedPaths);

} // namespace foldra
