#include "namespace/album/AlbumCommands.h"

#include "namespace/album/AlbumListing.h"
#include "namespace/folder/CamFolder.h"

namespace foldra {

bool albumCommandEnabled(UINT id, const std::vector<std::string>& selectedPaths)
{
    if (id == IDM_SELECT_ALL)
        return true;
    if (selectedPaths.empty())
        return false;
    const std::string& first = selectedPaths.front();
    const bool sequence = isSequenceFile(first);
    const bool image = isImageFile(first);
    switch (id) {
    case IDM_ALBUM_VIEW:
        return sequence || image;
    case IDM_ALBUM_OPEN:
        return image;
    case IDM_CREATE_SEQUENCE:
        return image && selectedPaths.size() >= 2;
    case IDM_SPLIT_SEQUENCE:
    case IDM_CHANGE_FRAME_RATE:
    case IDM_CREATE_AVI:
        return sequence;
    case IDM_DELETE:
        return true;
    default:
        return false;
    }
}

} // namespace foldra
