#include "client/Registration.h"

#include "client/ClassTable.h"
#include "client/ModelTable.h"
#include "common/LuminClasses.h"
#include "platform/com/ClassRegistration.h"
#include "platform/registry/RegistryKey.h"

namespace lumin {

HRESULT writeModelTable()
{
    LSTATUS removed = RegDeleteTreeA(HKEY_LOCAL_MACHINE, kLuminKey);
    if (removed != ERROR_SUCCESS && removed != static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND))
        return SELFREG_E_CLASS;
    RegistryKey settings;
    if (!settings.create(HKEY_LOCAL_MACHINE, kSettingsKey) ||
        !settings.setString(nullptr, guidToString(targetClsid(kDefaultTarget))))
        return SELFREG_E_CLASS;
    for (const ModelRow& row : modelRows()) {
        RegistryKey model;
        if (!model.create(settings.get(), row.name) ||
            !model.setString(nullptr, guidToString(targetClsid(row.defaultTarget))))
            return SELFREG_E_CLASS;
        for (const FirmwareRow& firmware : row.firmware) {
            if (!firmware.version)
                break;
            if (!model.setString(firmware.version, guidToString(targetClsid(firmware.target))))
                return SELFREG_E_CLASS;
        }
        if (row.hidden && !model.setDword("Hidden", 1))
            return SELFREG_E_CLASS;
    }
    return S_OK;
}

HRESULT registerServer(const std::string& libraryPath)
{
    if (HRESULT hr = registerClasses(classTable().entries(), LIBID_Lumin, libraryPath); FAILED(hr))
        return hr;
    if (HRESULT hr = registerTypeLibrary(LIBID_Lumin, "Lumin 1.0 Type Library", libraryPath,
                                         TypeLibraryHelpDir::LibraryFolder);
        FAILED(hr))
        return hr;
    return writeModelTable();
}

HRESULT unregisterServer(const std::string& libraryPath)
{
    HRESULT result = unregisterClasses(classTable().entries(), LIBID_Lumin, libraryPath);
    if (HRESULT hr = unregisterTypeLibrary(LIBID_Lumin); FAILED(hr))
        result = hr;
    LSTATUS lumin = RegDeleteTreeA(HKEY_LOCAL_MACHINE, kLuminKey);
    if (lumin != ERROR_SUCCESS && lumin != static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND))
        result = SELFREG_E_CLASS;
    return result;
}

} // namespace lumin
