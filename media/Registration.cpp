#include "media/Registration.h"

#include "common/MedrixClasses.h"
#include "media/ClassTable.h"
#include "platform/com/ClassRegistration.h"
#include "platform/registry/Registry.h"

namespace medrix {
namespace {

ClassRegistration registrationFor(const ClassEntry& entry, const std::string& libraryPath)
{
    ClassRegistration r;
    r.clsid = *entry.clsid;
    r.friendlyName = entry.friendlyName;
    r.kind = ServerKind::InProcess;
    r.serverPath = libraryPath;
    r.threadingModel = "Apartment";
    r.progId = entry.progId;
    r.versionIndependentProgId = entry.versionIndependentProgId;
    r.typeLib = LIBID_Medrix;
    return r;
}

std::string typeLibKey()
{
    return "TypeLib\\" + guidToString(LIBID_Medrix);
}

bool setDefault(HKEY parent, const std::string& path, const std::string& value)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

// There is no type library file; the entry names the library that carries the interfaces, so
// a lookup of the type library by id finds this version.
bool registerTypeLib(const std::string& libraryPath)
{
    const std::string version = typeLibKey() + "\\1.0";
    return setDefault(HKEY_CLASSES_ROOT, version, "Medrix 1.0 Type Library") &&
           setDefault(HKEY_CLASSES_ROOT, version + "\\0\\linux64", libraryPath) &&
           setDefault(HKEY_CLASSES_ROOT, version + "\\FLAGS", "0");
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
    return registerTypeLib(libraryPath) ? S_OK : SELFREG_E_CLASS;
}

HRESULT unregisterServer(const std::string& libraryPath)
{
    HRESULT result = S_OK;
    for (const ClassEntry& entry : classTable()) {
        HRESULT hr = unregisterClass(registrationFor(entry, libraryPath));
        if (FAILED(hr))
            result = hr;
    }
    LSTATUS rc = RegDeleteTreeA(HKEY_CLASSES_ROOT, typeLibKey().c_str());
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND && SUCCEEDED(result))
        result = SELFREG_E_CLASS;
    return result;
}

} // namespace medrix
