#include "media/Registration.h"

#include "common/MedrixClasses.h"
#include "media/ClassTable.h"
#include "platform/com/ClassRegistration.h"

namespace medrix {
namespace {

ClassRegistration registrationFor(const ClassEntry& entry, const std::string& libraryPath)
{
    return inProcessRegistration(*entry.clsid, entry.friendlyName, entry.progId,
                                 entry.versionIndependentProgId, LIBID_Medrix, libraryPath);
}

} // namespace

HRESULT registerServer(const std::string& libraryPath)
{
    if (libraryPath.empty())
        return SELFREG_E_CLASS;
    for (const ClassEntry& entry : classTable()) {
        HRESULT hr = registerClass(registrationFor(entry, libraryPath));
        if (FAILED(hr))
            return hr;
    }
    return registerTypeLibrary(LIBID_Medrix, "Medrix 1.0 Type Library", libraryPath);
}

HRESULT unregisterServer(const std::string& libraryPath)
{
    HRESULT result = S_OK;
    for (const ClassEntry& entry : classTable()) {
        HRESULT hr = unregisterClass(registrationFor(entry, libraryPath));
        if (FAILED(hr))
            result = hr;
    }
    if (HRESULT hr = unregisterTypeLibrary(LIBID_Medrix); FAILED(hr) && SUCCEEDED(result))
        result = hr;
    return result;
}

} // namespace medrix
