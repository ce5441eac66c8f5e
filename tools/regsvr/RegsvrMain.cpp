// regsvr [-u] FILE...
// Registers (or with -u unregisters) each file into the registry of the current state root:
// a shared library through its DllRegisterServer/DllUnregisterServer, anything else as a
// program run with RegServer/UnregServer. Exits 0 when every file succeeded, 1 when one
// failed, 2 for a wrong command line.

#include "platform/base/StateRoot.h"
#include "platform/com/ClassRegistration.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {
bool isSharedLibrary(const std::string& path)
{
    std::string name = std::filesystem::path(path).filename().string();
    return name.ends_with(".so") || name.find(".so.") != std::string::npos;
}

int usage()
{
    std::fprintf(stderr, "usage: regsvr [-u] FILE...\n"
                         "  registers shared libraries through their entry points and programs\n"
                         "  by running them with RegServer; -u unregisters\n");
    return 2;
}
} // namespace

int main(int argc, char** argv)
{
    bool unregister = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-u") == 0 || std::strcmp(argv[i], "/u") == 0)
            unregister = true;
        else if (argv[i][0] == '-')
            return usage();
        else
            files.emplace_back(argv[i]);
    }
    if (files.empty())
        return usage();

    const char* verb = unregister ? "unregistered" : "registered";
    int failures = 0;
    for (const auto& file : files) {
        std::error_code ec;
        // A bare library name would send the loader searching its path instead of here.
        std::string path = std::filesystem::absolute(file, ec).string();
        if (ec)
            path = file;
        std::string detail;
        HRESULT hr = isSharedLibrary(path) ? registerServerLibrary(path, unregister, &detail)
                                           : registerServerProgram(path, unregister, &detail);
        if (SUCCEEDED(hr)) {
            std::printf("regsvr: %s %s in %s\n", verb, path.c_str(), configFolder().c_str());
        } else {
            std::fprintf(stderr, "regsvr: %s was not %s: 0x%08X%s%s\n", path.c_str(), verb,
                         static_cast<unsigned>(hr), detail.empty() ? "" : ", ", detail.c_str());
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
