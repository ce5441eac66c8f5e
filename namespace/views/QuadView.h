#pragma once
// The view of a QuadView item: CameraPaneView with the quad window and menu 231.

#include "platform/shell/ShellView.h"

namespace foldra {

class CamFolder;

HRESULT createQuadView(CamFolder* folder, REFIID riid, void** ppv);

} // namespace foldra
