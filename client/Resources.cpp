#include "client/Resources.h"

#include "client/ModelTable.h"
#include "client/ModuleState.h"

#include <cstring>
#include <dlfcn.h>

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

ResourceInstance::~ResourceInstance()
{
    if (m_handle)
        ::dlclose(m_handle);
}

bool ResourceInstance::loadLibrary(const std::string& path)
{
    std::lock_guard lock(m_mutex);
    if (m_handle)
        return true;
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return false;
    auto fn = reinterpret_cast<LuminResourcesFn>(::dlsym(handle, "LuminResources"));
    unsigned count = 0;
    const LuminResourceEntry* entries = fn ? fn(&count) : nullptr;
    if (!entries) {
        ::dlclose(handle);
        return false;
    }
    m_handle = handle;
    m_entries = entries;
    m_count = count;
    return true;
}

bool ResourceInstance::isExternal() const
{
    std::lock_guard lock(m_mutex);
    return m_handle != nullptr;
}

std::optional<std::string> ResourceInstance::external(const char* type, unsigned id) const
{
    std::lock_guard lock(m_mutex);
    for (unsigned i = 0; i < m_count; ++i) {
        const LuminResourceEntry& e = m_entries[i];
        if (e.id == id && e.type && std::strcmp(e.type, type) == 0 && e.data)
            return std::string(static_cast<const char*>(e.data), e.size);
    }
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
