#include "media/Registration.h"

#include "common/MedrixClasses.h"
#include "media/ClassTable.h"
#include "platform/com/ClassRegistration.h"

namespace medrix {

HRESULT registerServer(const std::string& libraryPath)
{
    if (libraryPath.empty())
        return SELFREG_E_CLASS;
    if (HRESULT hr = registerClasses(classTable().entries(), LIBID_Medrix, libraryPath); FAILED(hr))
        return hr;
    return registerTypeLibrary(LIBID_Medrix, "Medrix 1.0 Type Library", libraryPath);
}

HRESULT unregisterServer(const std::string& libraryPath)
{
    HRESULT result = unregisterClasses(classTable().entries(), LIBID_Medrix, libraryPath);
    if (HRESULT hr = unregisterTypeLibrary(LIBID_Medrix); FAILED(hr) && SUCCEEDED(result))
        result = hr;
    return result;
}

} // namespace medrix
