#include "client/Registration.h"

#include "client/ClassTable.h"
#include "client/ModelTable.h"
#include "common/LuminClasses.h"
#include "platform/com/ClassRegistration.h"
#include "platform/registry/Registry.h"

#include <cstring>

namespace lumin {
namespace {

// Closes a registry key on scope exit.
class Key {
public:
    Key() = default;
    ~Key()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY* put() { return &m_key; }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

bool createKey(HKEY parent, const char* path, Key& key)
{
    return RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                           nullptr, key.put(), nullptr) == ERROR_SUCCESS;
}

bool setString(HKEY key, const char* name, const std::string& value)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool setDword(HKEY key, const char* name, DWORD value)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) == ERROR_SUCCESS;
}

ClassRegistration registrationFor(const ClassEntry& entry, const std::string& libraryPath)
{
    ClassRegistration r;
    r.clsid = *entry.clsid;
    r.friendlyName = entry.helpString;
    r.kind = ServerKind::InProcess;
    r.serverPath = libraryPath;
    r.threadingModel = "Apartment";
    r.progId = entry.progId;
    r.versionIndependentProgId = entry.versionIndependentProgId;
    r.typeLib = LIBID_Lumin;
    return r;
}

std::string typeLibKey()
{
    return "TypeLib\\" + guidToString(LIBID_Lumin);
}

// There is no type library file here; the entry names the library that carries the interfaces
// so that type-library lookups by id find this version.
bool registerTypeLib(const std::string& libraryPath)
{
    Key version;
    if (!createKey(HKEY_CLASSES_ROOT, (typeLibKey() + "\\1.0").c_str(), version) ||
        !setString(version.get(), nullptr, "Lumin 1.0 Type Library"))
        return false;
    Key win;
    if (!createKey(version.get(), "0\\linux64", win) || !setString(win.get(), nullptr, libraryPath))
        return false;
    Key flags;
    if (!createKey(version.get(), "FLAGS", flags) || !setString(flags.get(), nullptr, "0"))
        return false;
    std::string folder = libraryPath.substr(0, libraryPath.rfind('/') + 1);
    Key help;
    return createKey(version.get(), "HELPDIR", help) && setString(help.get(), nullptr, folder);
}

} // namespace

HRESULT writeModelTable()
{
    LSTATUS removed = RegDeleteTreeA(HKEY_LOCAL_MACHINE, kLuminKey);
    if (removed != ERROR_SUCCESS && removed != static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND))
        return SELFREG_E_CLASS;
    Key settings;
    if (!createKey(HKEY_LOCAL_MACHINE, kSettingsKey, settings) ||
        !setString(settings.get(), nullptr, guidToString(targetClsid(kDefaultTarget))))
        return SELFREG_E_CLASS;
    for (const ModelRow& row : modelRows()) {
        Key model;
        if (!createKey(settings.get(), row.name, model) ||
            !setString(model.get(), nullptr, guidToString(targetClsid(row.defaultTarget))))
            return SELFREG_E_CLASS;
        for (const FirmwareRow& firmware : row.firmware) {
            if (!firmware.version)
                break;
            if (!setString(model.get(), firmware.version,
                           guidToString(targetClsid(firmware.target))))
                return SELFREG_E_CLASS;
        }
        if (row.hidden && !setDword(model.get(), "Hidden", 1))
            return SELFREG_E_CLASS;
    }
    return S_OK;
}

HRESULT registerServer(const std::string& libraryPath)
{
    for (const ClassEntry& entry : classTable())
        if (HRESULT hr = registerClass(registrationFor(entry, libraryPath)); FAILED(hr))
            return hr;
    if (!registerTypeLib(libraryPath))
        return SELFREG_E_CLASS;
    return writeModelTable();
}

HRESULT unregisterServer(const std::string& libraryPath)
{
    HRESULT result = S_OK;
    for (const ClassEntry& entry : classTable())
        if (HRESULT hr = unregisterClass(registrationFor(entry, libraryPath)); FAILED(hr))
            result = hr;
    LSTATUS typeLib = RegDeleteTreeA(HKEY_CLASSES_ROOT, typeLibKey().c_str());
    if (typeLib != ERROR_SUCCESS && typeLib != static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND))
        result = SELFREG_E_CLASS;
    LSTATUS lumin = RegDeleteTreeA(HKEY_LOCAL_MACHINE, kLuminKey);
    if (lumin != ERROR_SUCCESS && lumin != static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND))
        result = SELFREG_E_CLASS;
    return result;
}

} // namespace lumin
