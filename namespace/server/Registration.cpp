#include "namespace/server/Registration.h"

#include "common/FoldraClasses.h"
#include "namespace/store/ItemStore.h"
#include "platform/com/ClassRegistration.h"
#include "platform/registry/RegistryKey.h"

namespace foldra {
namespace {

struct DwordDefault {
    const char* name;
    DWORD value;
};
constexpr DwordDefault kRecordDefaults[] = {
    {"RecordUnit", 0},         {"RecordSpeed", 3},    {"RecordDuration", 60},
    {"RecordDurationUnit", 1}, {"RecordMaxSize", 25},
};
constexpr const char* kStringDefaults[] = {"LastSaveDir", "SequencePrefix"};

ClassRegistration folderRegistration(const std::string& libraryPath)
{
    ClassRegistration r;
    r.clsid = CLSID_CamFolder;
    r.friendlyName = kCamFolderName;
    r.serverPath = libraryPath;
    return r;
}

std::string classKey()
{
    return "CLSID\\" + guidToString(CLSID_CamFolder);
}

// Defaults only where the user has no value yet: registering again keeps their settings.
bool writeSettingsDefaults()
{
    RegistryKey settings;
    if (!settings.create(HKEY_CURRENT_USER, kFoldraSettingsKey))
        return false;
    for (const char* name : kStringDefaults)
        if (!settings.hasValue(name) && !settings.setString(name, ""))
            return false;
    for (const DwordDefault& d : kRecordDefaults)
        if (!settings.hasValue(d.name) && !settings.setDword(d.name, d.value))
            return false;
    return true;
}

bool missingIsFine(LSTATUS status)
{
    return status == ERROR_SUCCESS || status == static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND);
}

bool keyIsEmpty(HKEY root, const char* path)
{
    RegistryKey key;
    if (!key.open(root, path))
        return false;
    DWORD subKeys = 0;
    DWORD values = 0;
    if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    return subKeys == 0 && values == 0;
}

} // namespace

HRESULT registerServer(const std::string& libraryPath)
{
    // The folder is registered even when the object file cannot be made now; opening the
    // folder then says what is wrong with it.
    ItemStore().RegisterStore();
    if (HRESULT hr = registerClass(folderRegistration(libraryPath)); FAILED(hr))
        return hr;
    RegistryKey shellFolder;
    std::string clsid = guidToString(CLSID_CamFolder);
    if (!setDefaultValue(HKEY_CLASSES_ROOT, classKey() + "\\DefaultIcon", libraryPath) ||
        !shellFolder.create(HKEY_CLASSES_ROOT, classKey() + "\\ShellFolder") ||
        !shellFolder.setDword("Attributes", kShellFolderAttributes) || !writeSettingsDefaults() ||
        !setDefaultValue(HKEY_LOCAL_MACHINE, std::string(kMyComputerNameSpaceKey) + "\\" + clsid,
                         kCamFolderName))
        return SELFREG_E_CLASS;
    RegistryKey approved;
    RegistryKey alwaysUnload;
    if (!approved.create(HKEY_LOCAL_MACHINE, kApprovedKey) ||
        !approved.setString(clsid.c_str(), kCamFolderName) ||
        !alwaysUnload.create(HKEY_LOCAL_MACHINE, kAlwaysUnloadDllKey))
        return SELFREG_E_CLASS;
    return S_OK;
}

HRESULT unregisterServer(const std::string& libraryPath)
{
    HRESULT result = S_OK;
    ItemStore().UnregisterStore();
    if (HRESULT hr = unregisterClass(folderRegistration(libraryPath)); FAILED(hr))
        result = hr;
    std::string clsid = guidToString(CLSID_CamFolder);
    if (!missingIsFine(RegDeleteTreeA(HKEY_CLASSES_ROOT, classKey().c_str())) ||
        !missingIsFine(RegDeleteTreeA(HKEY_CURRENT_USER, kFoldraKey)))
        result = SELFREG_E_CLASS;
    if (keyIsEmpty(HKEY_CURRENT_USER, kVendorKey))
        RegDeleteKeyA(HKEY_CURRENT_USER, kVendorKey);
    std::string nameSpace = std::string(kMyComputerNameSpaceKey) + "\\" + clsid;
    if (!missingIsFine(RegDeleteTreeA(HKEY_LOCAL_MACHINE, nameSpace.c_str())))
        result = SELFREG_E_CLASS;
    RegistryKey approved;
    if (approved.open(HKEY_LOCAL_MACHINE, kApprovedKey, KEY_ALL_ACCESS) &&
        !missingIsFine(RegDeleteValueA(approved.get(), clsid.c_str())))
        result = SELFREG_E_CLASS;
    if (keyIsEmpty(HKEY_LOCAL_MACHINE, kAlwaysUnloadDllKey))
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAlwaysUnloadDllKey);
    return result;
}

} // namespace foldra
