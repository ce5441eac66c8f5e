// A small in-process server for the registration tests: it registers one class with its own
// path, as every deliverable's DllRegisterServer does.
#include "platform/base/ModulePath.h"
#include "platform/com/ClassRegistration.h"
#include "platform/com/Runtime.h"

namespace {
ClassRegistration testClass()
{
    ClassRegistration r;
    r.clsid = makeGuid("{5E1D0A01-0000-4000-8000-0000000000A1}");
    r.friendlyName = "Registration test class";
    r.serverPath = modulePathOf(reinterpret_cast<const void*>(&testClass));
    r.threadingModel = "Both";
    r.progId = "OrvelTest.Server.1";
    r.versionIndependentProgId = "OrvelTest.Server";
    r.typeLib = makeGuid("{5E1D0A01-0000-4000-8000-0000000000B1}");
    return r;
}
} // namespace

ORVEL_EXPORT HRESULT DllRegisterServer()
{
    return registerClass(testClass());
}

ORVEL_EXPORT HRESULT DllUnregisterServer()
{
    return unregisterClass(testClass());
}
