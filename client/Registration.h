#pragma once
// What DllRegisterServer and DllUnregisterServer do: the classes, their ProgIDs, the type
// library entry, and the model table under HKEY_LOCAL_MACHINE\Software\Orvel Works\Lumin.

#include "platform/base/Hresult.h"

#include <string>

namespace lumin {

inline constexpr const char* kLuminKey = "Software\\Orvel Works\\Lumin";
inline constexpr const char* kSettingsKey = "Software\\Orvel Works\\Lumin\\Settings";

// libraryPath: the registered file (InprocServer32).
HRESULT registerServer(const std::string& libraryPath);
HRESULT unregisterServer(const std::string& libraryPath);

// Re-creates the Lumin key from scratch with the model table. \retval S_OK, SELFREG_E_CLASS
HRESULT writeModelTable();

} // namespace lumin
