#pragma once
// The view of a SwitchCam item: CameraPaneView with the switching window and menu 232.

#include "platform/shell/ShellView.h"

namespace foldra {

class CamFolder;

HRESULT createSwitchCamView(CamFolder* folder, REFIID riid, void** ppv);

} // namespace foldra
