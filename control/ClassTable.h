#pragma once
// The one class the control library serves, CamImage.

#include "platform/com/Unknown.h"

namespace pictra {

// DllGetClassObject: a factory for CamImage; CLASS_E_CLASSNOTAVAILABLE otherwise.
HRESULT getClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
// DllCanUnloadNow: S_OK when no object and no server lock is alive, else S_FALSE.
HRESULT canUnloadNow();

} // namespace pictra
