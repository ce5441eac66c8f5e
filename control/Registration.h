#pragma once
// What DllRegisterServer writes for CamImage: the class key with InprocServer32 ("Apartment"),
// both ProgIDs with CurVer and the type library, and the control keys: "Control",
// "Programmable", "Insertable", "ToolboxBitmap32" (icon 1 of the library), "MiscStatus" with
// its aspect 1 and "Version". DllUnregisterServer removes them again.

#include "platform/base/Hresult.h"

#include <string>

namespace pictra {

// MiscStatus of aspect 1: recompose on resize, cannot link inside, inside-out, activate when
// visible, set client site first.
inline constexpr unsigned long kCamImageMiscStatus = 131473;

HRESULT registerServer(const std::string& libraryPath);
HRESULT unregisterServer(const std::string& libraryPath);

} // namespace pictra
