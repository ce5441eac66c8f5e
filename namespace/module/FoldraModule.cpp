// Entry points of Foldra, the camera namespace. Its classes are not served by this build yet:
// creation answers CLASS_E_CLASSNOTAVAILABLE and registration writes nothing, so no class id in the
// registry leads to a library that cannot create it.
#include "platform/com/Runtime.h"

ORVEL_EXPORT HRESULT DllGetClassObject(REFCLSID, REFIID, void** ppv)
{
    if (ppv)
        *ppv = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

ORVEL_EXPORT HRESULT DllCanUnloadNow()
{
    return S_OK;
}
ORVEL_EXPORT HRESULT DllRegisterServer()
{
    return S_OK;
}
ORVEL_EXPORT HRESULT DllUnregisterServer()
{
    return S_OK;
}
