// The library's exported entry points. The media library keeps no process-wide objects beyond
// its constant-initialised live count, so it needs no load or unload work.

#include "media/ClassTable.h"
#include "media/Registration.h"
#include "platform/com/Runtime.h"

#include <dlfcn.h>
#include <filesystem>
#include <string>

namespace {

// The file this library was loaded from: registration records it.
std::string modulePath()
{
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&modulePath), &info) == 0 || !info.dli_fname)
        return {};
    std::error_code error;
    auto path = std::filesystem::weakly_canonical(info.dli_fname, error);
    return error ? std::string(info.dli_fname) : path.string();
}

} // namespace

ORVEL_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    return medrix::getClassObject(rclsid, riid, ppv);
}

ORVEL_EXPORT HRESULT DllCanUnloadNow()
{
    return medrix::canUnloadNow();
}

ORVEL_EXPORT HRESULT DllRegisterServer()
{
    return medrix::registerServer(modulePath());
}

ORVEL_EXPORT HRESULT DllUnregisterServer()
{
    return medrix::unregisterServer(modulePath());
}
