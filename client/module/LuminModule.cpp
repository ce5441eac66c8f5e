// The library's load and unload points, its exported entry points, and its version record.

#include "client/ClassTable.h"
#include "client/ModuleState.h"
#include "client/Registration.h"
#include "platform/com/ModuleEntryPoints.h"

namespace {

// The version record read back from this file by ICamModuleVersion (see VersionRecord.h).
// "used" keeps it although nothing in the code refers to it.
#define ORVEL_VERSION_ENTRY(key, value) key "\0" value "\0"
[[gnu::used, gnu::section("orvel_version")]] const char kVersionRecord[] =
    "ORVELVER" ORVEL_VERSION_ENTRY("\\VarFileInfo\\Translation", "0409 04B0") ORVEL_VERSION_ENTRY(
        "\\StringFileInfo\\040904B0\\FileVersion", "1, 2, 4, 1")
        ORVEL_VERSION_ENTRY("\\StringFileInfo\\040904B0\\ProductVersion", "1, 2, 4, 1")
            ORVEL_VERSION_ENTRY("\\StringFileInfo\\040904B0\\FileDescription", "Lumin Module")
                ORVEL_VERSION_ENTRY("\\StringFileInfo\\040904B0\\ProductName", "Lumin Module")
                    ORVEL_VERSION_ENTRY("\\StringFileInfo\\040904B0\\InternalName", "Lumin")
                        ORVEL_VERSION_ENTRY("\\StringFileInfo\\040904B0\\OriginalFilename",
                                            "Lumin.so")
                            ORVEL_VERSION_ENTRY("\\StringFileInfo\\040904B0\\OLESelfRegister", "");
#undef ORVEL_VERSION_ENTRY

// The loader serialises these, as it does process attach and detach.
[[gnu::constructor]] void onLoad()
{
    lumin::moduleLoad();
}

[[gnu::destructor]] void onUnload()
{
    lumin::moduleUnload();
}

} // namespace

ORVEL_MODULE_ENTRY_POINTS(lumin);
