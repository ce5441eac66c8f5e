#pragma once
// The classes the library serves: id, names, and how to create one. Registration writes them,
// DllGetClassObject hands out their factories.

#include "client/ClassFactory.h"

#include <span>

namespace lumin {

struct ClassEntry {
    const CLSID* clsid;
    const char* helpString; // "CamTarget210 Class"
    const char* progId;     // versioned: "Lumin.CamTarget210.1"
    const char* versionIndependentProgId;
    CreateInstanceFn create;
};

std::span<const ClassEntry> classTable();
const ClassEntry* findClass(REFCLSID clsid);

// \retval S_OK, CLASS_E_CLASSNOTAVAILABLE, E_POINTER, E_OUTOFMEMORY, E_NOINTERFACE
HRESULT getClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
// S_OK when no object and no lock is alive, else S_FALSE.
HRESULT canUnloadNow();

} // namespace lumin
