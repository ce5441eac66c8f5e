#include "recorder/engine/RecoraRegistration.h"

#include "common/RecoraClasses.h"
#include "platform/base/Utf.h"
#include "platform/com/ClassRegistration.h"
#include "platform/registry/Registry.h"

#include <cstring>

namespace {
constexpr const char* kClassName = "CamRecord Class";
// The AppID names the program by its file name, as the registration scripts always have.
constexpr const char* kAppIdKey = "AppID\\Recora.EXE";

ClassRegistration camRecordRegistration(const std::string& programPath)
{
    ClassRegistration r;
    r.clsid = CLSID_CamRecord;
    r.friendlyName = kClassName;
    r.kind = ServerKind::LocalServer;
    r.serverPath = programPath;
    r.progId = utf16ToUtf8(kProgIdCamRecord1);
    r.versionIndependentProgId = utf16ToUtf8(kProgIdCamRecord);
    r.appId = APPID_Recora;
    r.typeLib = LIBID_RECORALib;
    return r;
}

bool setString(HKEY key, const char* name, const std::string& value)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}
} // namespace

HRESULT registerRecora(const std::string& programPath)
{
    HRESULT hr = registerClass(camRecordRegistration(programPath));
    if (FAILED(hr))
        return hr;

    bool ok = true;
    HKEY key = nullptr;
    const std::string clsidKey = "CLSID\\" + guidToString(CLSID_CamRecord) + "\\Programmable";
    ok = RegCreateKeyA(HKEY_CLASSES_ROOT, clsidKey.c_str(), &key) == ERROR_SUCCESS && ok;
    if (key)
        RegCloseKey(key);
    key = nullptr;
    const std::string appIdKey = "AppID\\" + guidToString(APPID_Recora);
    if (RegCreateKeyA(HKEY_CLASSES_ROOT, appIdKey.c_str(), &key) == ERROR_SUCCESS) {
        ok = setString(key, nullptr, "Recora") && ok;
        RegCloseKey(key);
    } else {
        ok = false;
    }
    key = nullptr;
    if (RegCreateKeyA(HKEY_CLASSES_ROOT, kAppIdKey, &key) == ERROR_SUCCESS) {
        ok = setString(key, "AppID", guidToString(APPID_Recora)) && ok;
        RegCloseKey(key);
    } else {
        ok = false;
    }
    return ok ? S_OK : SELFREG_E_CLASS;
}

HRESULT unregisterRecora(const std::string& programPath)
{
    HRESULT hr = unregisterClass(camRecordRegistration(programPath));
    const std::string appIdKey = "AppID\\" + guidToString(APPID_Recora);
    RegDeleteTreeA(HKEY_CLASSES_ROOT, appIdKey.c_str());
    RegDeleteTreeA(HKEY_CLASSES_ROOT, kAppIdKey);
    return hr;
}
