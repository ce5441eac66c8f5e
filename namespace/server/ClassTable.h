#pragma once
// The one class the module serves, CamFolder, and the answers of its entry points.

#include "platform/com/Guid.h"
#include "platform/com/Hresult.h"

namespace foldra {

// \retval S_OK, CLASS_E_CLASSNOTAVAILABLE, E_POINTER, E_OUTOFMEMORY, E_NOINTERFACE
HRESULT getClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
// S_OK when no object and no lock is alive, else S_FALSE.
HRESULT canUnloadNow();

} // namespace foldra
