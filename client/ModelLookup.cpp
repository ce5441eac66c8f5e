#include "client/ModelLookup.h"

#include "client/Log.h"
#include "client/ModuleState.h"
#include "platform/registry/Registry.h"

#include <utility>

namespace lumin {
namespace {

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

    bool open(HKEY parent, const std::string& path)
    {
        return RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &m_key) == ERROR_SUCCESS;
    }
    HKEY get() const { return m_key; }

    // A string value's text; empty when missing, not text, or empty.
    std::string text(const char* valueName) const
    {
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExA(m_key, valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0)
            return {};
        std::string value(size, '\0');
        if (RegQueryValueExA(m_key, valueName, nullptr, &type,
                             reinterpret_cast<BYTE*>(value.data()), &size) != ERROR_SUCCESS)
            return {};
        value.resize(std::min<std::size_t>(size, value.size()));
        while (!value.empty() && value.back() == '\0')
            value.pop_back();
        return value;
    }
    bool hasValue(const char* valueName) const
    {
        return RegQueryValueExA(m_key, valueName, nullptr, nullptr, nullptr, nullptr) ==
               ERROR_SUCCESS;
    }

private:
    HKEY m_key = nullptr;
};

std::string modelKeyPath(std::string_view name)
{
    return std::string(kModelTableKey) + "\\" + std::string(name);
}

} // namespace

HRESULT lookupTarget(std::string_view name, std::string_view version, CLSID* clsid)
{
    std::string text;
    Key model;
    // A name with a backslash would address a deeper key, not a model.
    if (!name.empty() && name.find('\\') == std::string_view::npos &&
        model.open(HKEY_LOCAL_MACHINE, modelKeyPath(name))) {
        const std::string versionName(version);
        if (!version.empty() && model.hasValue(versionName.c_str()))
            text = model.text(versionName.c_str());
        else
            text = model.text(nullptr);
    } else {
        Key settings;
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
    Key settings;
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
        Key model;
        if (model.open(settings.get(), name) && !model.hasValue("Hidden"))
            names.emplace_back(name, size);
    }
    return names;
}

std::optional<std::vector<std::string>> modelVersionNames(std::string_view name)
{
    Key model;
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
