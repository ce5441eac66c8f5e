#pragma once
// What DllRegisterServer writes: for each class its CLSID key (InprocServer32 with threading
// model "Apartment", ProgID, VersionIndependentProgID, TypeLib), both ProgIDs with CurVer,
// and the type library's key. DllUnregisterServer removes them again.

#include "platform/base/Hresult.h"

#include <string>

namespace medrix {

HRESULT registerServer(const std::string& libraryPath);
HRESULT unregisterServer(const std::string& libraryPath);

} // namespace medrix
