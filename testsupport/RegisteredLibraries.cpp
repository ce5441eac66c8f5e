#include "testsupport/RegisteredLibraries.h"

#include "platform/base/StateRoot.h"
#include "platform/com/ClassRegistration.h"

#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path cachedHives(const fs::path& bin, const std::vector<std::string>& libraries)
{
    std::size_t key = 0;
    std::string names;
    for (const std::string& library : libraries) {
        std::error_code ec;
        const auto stamp = fs::last_write_time(bin / library, ec).time_since_epoch().count();
        key = key * 1000003u ^ std::hash<long long>{}(static_cast<long long>(stamp));
        names += library.substr(0, library.find('.'));
    }
    return bin.parent_path() / "test-hives" / (names + "-" + std::to_string(key));
}

} // namespace

bool registerTestLibraries(const std::vector<std::string>& libraries, std::string* error)
{
    const fs::path bin = fs::canonical("/proc/self/exe").parent_path();
    const fs::path hives = configFolder();
    const fs::path cache = cachedHives(bin, libraries);
    std::error_code ec;
    if (fs::is_directory(cache, ec)) {
        fs::copy(cache, hives, fs::copy_options::recursive | fs::copy_options::overwrite_existing,
                 ec);
        if (ec)
            *error = "copying " + cache.string() + ": " + ec.message();
        return !ec;
    }
    for (const std::string& library : libraries) {
        std::string detail;
        if (registerServerLibrary((bin / library).string(), false, &detail) != S_OK) {
            *error = library + ": " + detail;
            return false;
        }
    }
    // Another test process may be saving the same set: the first rename wins.
    const fs::path partial = cache.string() + "." + std::to_string(::getpid());
    fs::create_directories(partial.parent_path(), ec);
    fs::copy(hives, partial, fs::copy_options::recursive, ec);
    if (ec || (fs::rename(partial, cache, ec), ec))
        fs::remove_all(partial, ec);
    return true;
}
