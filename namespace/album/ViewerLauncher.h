#pragma once
// Hands an image or a sequence to the sequence viewer, a Vistel process of its own created by
// class id; once it answers, the viewer belongs to the user and outlives the album.

#include "platform/base/Hresult.h"

#include <string>

namespace foldra {

enum class ViewerAction {
    View,      // SetImage for a ".jpg", SetSequence for a ".sqj"
    CreateAvi, // SetSequenceCreateAVI, ".sqj" only
};

// The creation's or the setter's failure; E_INVALIDARG for a path of another type.
HRESULT startViewer(const std::string& path, ViewerAction action);

} // namespace foldra
