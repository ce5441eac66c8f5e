#include "client/ModelLookup.h"

#include "client/Log.h"
#include "client/ModuleState.h"
#include "platform/registry/RegistryKey.h"

#include <utility>

namespace lumin {
namespace {

std::string modelKeyPath(std::string_view name)
{
    return std::string(kModelTableKey) + "\\" + std::string(name);
}

} // namespace

HRESULT lookupTarget(std::string_view name, std::string_view version, CLSID* clsid)
{
    std::string text;
    RegistryKey model;
    // A name with a backslash would address a deeper key, not a model.
    if (!name.empty() && name.find('\\') == std::string_view::npos &&
        model.open(HKEY_LOCAL_MACHINE, modelKeyPath(name))) {
        const std::string versionName(version);
        if (!version.empty() && model.hasValue(versionName.c_str()))
            text = model.text(versionName.c_str());
        else
            text = model.text(nullptr);
    } else {
        RegistryKey settings;
        if (!settings.open(HKEY_LOCAL_MACHINE, kModelTableKey)) {
            logLine(LogFailure, "LookupTarget failed");
            return E_FAIL;
        }
        text = settings.text(nullptr);
    }
    if (text.empty()) {
        logLine(LogFailure, "LookupTarget failed");
        return E_FAIL;
    }
    const std::u16string wide(text.begin(), text.end()); // a class id is ASCII
    return CLSIDFromString(wide.c_str(), clsid);
}

std::vector<std::string> chooserModelNames()
{
    std::vector<std::string> names;
    RegistryKey settings;
    if (!settings.open(HKEY_LOCAL_MACHINE, kModelTableKey))
        return names;
    char name[kMaxChoiceText + 1];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name;
        const LSTATUS status =
            RegEnumKeyExA(settings.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA)
            continue; // a name too long for the list is not offered
        if (status != ERROR_SUCCESS)
            break;
        RegistryKey model;
        if (model.open(settings.get(), name) && !model.hasValue("Hidden"))
            names.emplace_back(name, size);
    }
    return names;
}

std::optional<std::vector<std::string>> modelVersionNames(std::string_view name)
{
    RegistryKey model;
    if (name.empty() || name.size() > kMaxChoiceText || name.find('\\') != std::string_view::npos ||
        !model.open(HKEY_LOCAL_MACHINE, modelKeyPath(name)))
        return std::nullopt;
    std::vector<std::string> versions;
    char valueName[kMaxChoiceText + 1];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof valueName;
        const LSTATUS status =
            RegEnumValueA(model.get(), i, valueName, &size, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            break;
        if (size > 0)
            versions.emplace_back(valueName, size);
    }
    return versions;
}

} // namespace lumin
