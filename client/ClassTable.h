#pragma once
// The classes the library serves: id, names, and how to create one. Registration writes them,
// DllGetClassObject hands out their factories.

#include "platform/com/ClassTable.h"

namespace lumin {

const ClassTable& classTable();

// \retval S_OK, CLASS_E_CLASSNOTAVAILABLE, E_POINTER, E_OUTOFMEMORY, E_NOINTERFACE
HRESULT getClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
// S_OK when no object and no lock is alive, else S_FALSE.
HRESULT canUnloadNow();

} // namespace lumin
