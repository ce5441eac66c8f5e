#include "recorder/engine/RecoraRegistration.h"

#include "common/RecoraClasses.h"
#include "platform/base/Utf.h"
#include "platform/com/ClassRegistration.h"
#include "platform/registry/RegistryKey.h"

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
} // namespace

HRESULT registerRecora(const std::string& programPath)
{
    HRESULT hr = registerClass(camRecordRegistration(programPath));
    if (FAILED(hr))
        return hr;

    RegistryKey programmable;
    bool ok = programmable.create(HKEY_CLASSES_ROOT,
                                  "CLSID\\" + guidToString(CLSID_CamRecord) + "\\Programmable");
    ok = setDefaultValue(HKEY_CLASSES_ROOT, "AppID\\" + guidToString(APPID_Recora), "Recora") && ok;
    RegistryKey byName;
    ok = byName.create(HKEY_CLASSES_ROOT, kAppIdKey) &&
         byName.setString("AppID", guidToString(APPID_Recora)) && ok;
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
