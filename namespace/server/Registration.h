#pragma once
// What the module's DllRegisterServer and DllUnregisterServer do: the object file with its Add
// folder, the folder class as a shell folder, "Network Cameras" under My Computer's NameSpace,
// the approved extension, AlwaysUnloadDll, and the user's recording defaults.

#include "platform/base/Hresult.h"

#include <string>

namespace foldra {

inline constexpr const char* kFoldraKey = "Software\\Orvel Works\\Foldra";
inline constexpr const char* kFoldraSettingsKey = "Software\\Orvel Works\\Foldra\\Settings";
inline constexpr const char* kVendorKey = "Software\\Orvel Works";
inline constexpr const char* kMyComputerNameSpaceKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MyComputer\\NameSpace";
inline constexpr const char* kApprovedKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
inline constexpr const char* kAlwaysUnloadDllKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AlwaysUnloadDll";
// has subfolders | folder | can rename
inline constexpr DWORD kShellFolderAttributes = 0xA0000010;

// \retval S_OK, SELFREG_E_CLASS when a key or value could not be written
HRESULT registerServer(const std::string& libraryPath);
HRESULT unregisterServer(const std::string& libraryPath);

} // namespace foldra
