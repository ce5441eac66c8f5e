#pragma once
// The classes the media library serves, with what registration writes for each.

#include "platform/com/ClassTable.h"

namespace medrix {

const ClassTable& classTable();

// DllGetClassObject: a factory for a class of the table; CLASS_E_CLASSNOTAVAILABLE otherwise.
HRESULT getClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
// DllCanUnloadNow: S_OK when no object and no server lock is alive, else S_FALSE.
HRESULT canUnloadNow();

} // namespace medrix
