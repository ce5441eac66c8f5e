#include "platform/base/ModulePath.h"

#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <link.h>
#include <memory>
#include <unistd.h>

namespace {
std::string programPath()
{
    char buffer[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}
} // namespace

std::string modulePathOf(const void* address)
{
    Dl_info info{};
    link_map* map = nullptr;
    if (::dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0)
        return {};
    // The program itself has an empty name in the loader's list; its name as started may be
    // relative to a working folder that has changed since.
    if ((map && map->l_name && !map->l_name[0]) || !info.dli_fname || !info.dli_fname[0])
        return programPath();
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(info.dli_fname, nullptr),
                                                         &std::free);
    return resolved ? std::string(resolved.get()) : std::string(info.dli_fname);
}

std::string moduleFolderOf(const void* address)
{
    std::string path = modulePathOf(address);
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}
