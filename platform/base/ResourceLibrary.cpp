#include "platform/base/ResourceLibrary.h"

#include <dlfcn.h>

ResourceLibrary::~ResourceLibrary()
{
    if (m_handle)
        ::dlclose(m_handle);
}

bool ResourceLibrary::load(const std::string& path, const char* tableSymbol)
{
    if (m_handle)
        return true;
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return false;
    auto table = reinterpret_cast<ResourceTableFn>(::dlsym(handle, tableSymbol));
    unsigned count = 0;
    const ResourceEntry* entries = table ? table(&count) : nullptr;
    if (!entries) {
        ::dlclose(handle);
        return false;
    }
    m_handle = handle;
    m_entries = entries;
    m_count = count;
    return true;
}

std::optional<std::string_view> ResourceLibrary::find(std::string_view type, unsigned id) const
{
    for (unsigned i = 0; i < m_count; ++i) {
        const ResourceEntry& e = m_entries[i];
        if (e.id == id && e.type && type == e.type && e.data)
            return std::string_view(static_cast<const char*>(e.data), e.size);
    }
    return std::nullopt;
}
