// camctl identify HOST [--timeout MS]: asks the camera's FTP greeting which model and firmware
// it is and which target class the model table gives it.
#include "common/ICamIdentifyTarget.h"
#include "common/LuminClasses.h"
#include "platform/base/Utf.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Runtime.h"
#include "platform/com/TaskMemory.h"
#include "platform/registry/Registry.h"
#include "tools/camctl/CamCtlClient.h"
#include "tools/camctl/CamCtlCommand.h"

#include <charconv>
#include <cstdio>
#include <netdb.h>

namespace {

constexpr UI4 kDefaultTimeoutMs = 5000;
constexpr const char* kModelTable = "Software\\Orvel Works\\Lumin\\Settings";

std::string readText(HKEY parent, const std::string& path, const char* valueName)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {};
    char buffer[512] = {};
    DWORD size = sizeof buffer - 1;
    DWORD type = 0;
    const bool ok = RegQueryValueExA(key, valueName, nullptr, &type,
                                     reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS &&
                    type == REG_SZ;
    RegCloseKey(key);
    return ok ? std::string(buffer) : std::string();
}

// The class the model table gives name and version, as the client library looks it up:
// version value, else the model's default, else the table's default. Shown as the class
// name ("CamTarget210"), or as its id when it has no ProgID.
std::string targetClassOf(const std::string& name, const std::string& version)
{
    const std::string model = std::string(kModelTable) + "\\" + name;
    HKEY key = nullptr;
    std::string text;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, model.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegCloseKey(key);
        text = readText(HKEY_LOCAL_MACHINE, model, version.c_str());
        if (text.empty())
            text = readText(HKEY_LOCAL_MACHINE, model, nullptr);
    } else {
        text = readText(HKEY_LOCAL_MACHINE, kModelTable, nullptr);
    }
    CLSID clsid{};
    const std::u16string wide = utf8ToUtf16(text);
    if (text.empty() || FAILED(CLSIDFromString(wide.c_str(), &clsid)))
        return "unknown";
    LPOLESTR progId = nullptr;
    if (FAILED(ProgIDFromCLSID(clsid, &progId)))
        return text;
    std::string className = utf16ToUtf8(progId); // "Lumin.CamTarget210.1"
    CoTaskMemFree(progId);
    if (const auto dot = className.find('.'); dot != std::string::npos)
        className.erase(0, dot + 1);
    if (const auto dot = className.rfind('.'); dot != std::string::npos)
        className.erase(dot);
    return className;
}

bool resolves(const std::string& host)
{
    const std::string name = host.substr(0, host.find(':'));
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    if (name.empty() || ::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0)
        return false;
    ::freeaddrinfo(found);
    return true;
}

} // namespace

int runIdentify(const std::vector<std::string>& args)
{
    std::string host;
    UI4 timeout = kDefaultTimeoutMs;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--timeout" && i + 1 < args.size()) {
            const std::string& value = args[++i];
            const auto [end, error] =
                std::from_chars(value.data(), value.data() + value.size(), timeout);
            if (error != std::errc() || end != value.data() + value.size()) {
                std::fprintf(stderr, "camctl identify: \"%s\" is not a time-out in ms\n",
                             value.c_str());
                return kExitUsage;
            }
        } else if (host.empty() && !args[i].empty() && args[i][0] != '-') {
            host = args[i];
        } else {
            std::fprintf(stderr, "usage: camctl identify HOST [--timeout MS]\n");
            return kExitUsage;
        }
    }
    if (host.empty()) {
        std::fprintf(stderr, "usage: camctl identify HOST [--timeout MS]\n");
        return kExitUsage;
    }

    ComPtr<ICamIdentifyTarget> identify;
    HRESULT hr =
        camctl::createClientLibraryObject(IID_ICamIdentifyTarget, identify.putVoid(), "identify");
    if (FAILED(hr))
        return kExitFailed;
    Bstr bstrHost(host);
    ComPtr<ICamTarget> target;
    BSTR name = nullptr;
    BSTR version = nullptr;
    hr = identify->IdentifyTarget(bstrHost.get(), target.put(), &name, &version, timeout);
    const std::string modelName = bstrToUtf8(name);
    const std::string firmware = bstrToUtf8(version);
    SysFreeString(name);
    SysFreeString(version);

    if (hr == S_OK) {
        std::printf("model=%s version=%s target=%s\n", modelName.c_str(), firmware.c_str(),
                    targetClassOf(modelName, firmware).c_str());
        return kExitOk;
    }
    if (hr == S_FALSE) {
        std::fprintf(stderr,
                     "camctl identify: %s gave no greeting on port 21 that names a known "
                     "camera (nothing listening there, or a greeting no pattern matches)\n",
                     host.c_str());
        return kExitNotRecognised;
    }
    if (!resolves(host))
        std::fprintf(stderr, "camctl identify: cannot resolve the host name of %s\n", host.c_str());
    else
        std::fprintf(stderr,
                     "camctl identify: %s did not greet on port 21 within %u ms, or its model "
                     "has no target (error 0x%08X)\n",
                     host.c_str(), static_cast<unsigned>(timeout), static_cast<unsigned>(hr));
    return kExitFailed;
}
