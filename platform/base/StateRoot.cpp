#include "platform/base/StateRoot.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {
constexpr const char* kApplicationFolder = "OrvelWorks";

std::string ensure(const std::filesystem::path& folder)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec && !std::filesystem::is_directory(folder))
        return {};
    return folder.string();
}

std::string xdgFolder(const char* xdgVariable, const char* homeRelative, const char* rootChild)
{
    if (const char* root = std::getenv(kStateRootVariable); root && *root)
        return ensure(std::filesystem::path(root) / rootChild);
    if (const char* xdg = std::getenv(xdgVariable); xdg && *xdg && xdg[0] == '/')
        return ensure(std::filesystem::path(xdg) / kApplicationFolder);
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        home = "/tmp";
    return ensure(std::filesystem::path(home) / homeRelative / kApplicationFolder);
}
} // namespace

std::string configFolder()
{
    return xdgFolder("XDG_CONFIG_HOME", ".config", "config");
}
std::string dataFolder()
{
    return xdgFolder("XDG_DATA_HOME", ".local/share", "data");
}
std::string stateFolder()
{
    return xdgFolder("XDG_STATE_HOME", ".local/state", "state");
}
