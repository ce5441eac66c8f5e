#include "client/Resources.h"

#include "client/ModelTable.h"
#include "client/ModuleState.h"

#include <cstring>

namespace lumin {
namespace {

struct BuiltinString {
    unsigned id;
    const char* text;
};

constexpr BuiltinString kStrings[] = {
    {kStringOther, "Other"},
    {20480, "Error base"},
    {20481, "Error test"},
    {21760, "Status base"},
    {kStringConnecting, "Connecting"},
    {kStringConnected, "Connected"},
    {kStringClosing, "Closing"},
    {kStringClosed, "Closed"},
};

std::optional<std::string> builtinData(const char* type, unsigned id)
{
    if (std::strcmp(type, kResourceTypeString) == 0) {
        if (const char* text = builtinString(id))
            return std::string(text);
        return std::nullopt;
    }
    if (std::strcmp(type, kResourceTypePatterns) == 0 && id == kResourcePatterns) {
        std::string text;
        for (const char* pattern : bannerPatterns())
            text.append(pattern).append("\r\n");
        return text;
    }
    return std::nullopt;
}

} // namespace

const char* builtinString(unsigned id)
{
    for (const BuiltinString& entry : kStrings)
        if (entry.id == id)
            return entry.text;
    return nullptr;
}

bool ResourceInstance::loadLibrary(const std::string& path)
{
    std::lock_guard lock(m_mutex);
    return m_library.load(path, "LuminResources");
}

bool ResourceInstance::isExternal() const
{
    std::lock_guard lock(m_mutex);
    return m_library.isLoaded();
}

std::optional<std::string> ResourceInstance::external(const char* type, unsigned id) const
{
    std::lock_guard lock(m_mutex);
    if (const auto found = m_library.find(type, id))
        return std::string(*found);
    return std::nullopt;
}

std::optional<std::string> ResourceInstance::string(unsigned id) const
{
    return data(kResourceTypeString, id);
}

std::optional<std::string> ResourceInstance::data(const char* type, unsigned id) const
{
    if (auto found = external(type, id))
        return found;
    return builtinData(type, id);
}

std::optional<std::string> resourceString(unsigned id)
{
    if (ModuleObjects* objects = moduleObjects())
        return objects->resources.string(id);
    return builtinData(kResourceTypeString, id);
}

std::optional<std::string> resourceData(const char* type, unsigned id)
{
    if (ModuleObjects* objects = moduleObjects())
        return objects->resources.data(type, id);
    return builtinData(type, id);
}

void loadResourceLibrary()
{
    ModuleObjects* objects = moduleObjects();
    if (!objects || objects->resources.isExternal())
        return;
    std::string module = modulePath();
    auto slash = module.rfind('/');
    if (slash == std::string::npos)
        return;
    objects->resources.loadLibrary(module.substr(0, slash + 1) + "LuminRes.so");
}

} // namespace lumin
