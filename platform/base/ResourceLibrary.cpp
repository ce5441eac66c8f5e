#include "platform/base/ResourceLibrary.h"

#include "platform/base/FileDescriptor.h"
#include "platform/base/RegularFile.h"

#include <dlfcn.h>

ResourceLibrary::~ResourceLibrary()
{
    unload();
}

void ResourceLibrary::unload()
{
    if (m_handle)
        ::dlclose(m_handle);
    m_handle = nullptr;
    m_entries = nullptr;
    m_count = 0;
}

bool ResourceLibrary::load(const std::string& path, const char* tableSymbol)
{
    if (m_handle)
        return true;
    // The loader's own open would wait for ever on a pipe put in the library's place.
    int error = 0;
    if (!orvel::FileDescriptor(orvel::openRegularFile(path, orvel::RegularFileAccess::Read, &error))
             .isOpen())
        return false;
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
