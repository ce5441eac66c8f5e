// A second process for the registry tests: writes or checks values in the hive of the state
// root it inherits, so the tests see what really reaches the file.
//   RegistryChild write KEY COUNT    sets COUNT values "vN" and subkeys "kN" under HKCU\KEY
//   RegistryChild check KEY NAME TEXT exits 0 when HKCU\KEY's NAME holds the string TEXT
//   RegistryChild RegServer | UnregServer  (un)registers a local-server class with its path

#include "platform/base/ModulePath.h"
#include "platform/com/ClassRegistration.h"
#include "platform/registry/Registry.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
int writeValues(const char* path, int count)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return 2;
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        std::string name = "v" + std::to_string(i);
        DWORD value = static_cast<DWORD>(i);
        if (RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&value),
                           sizeof value) != ERROR_SUCCESS)
            ++failures;
        HKEY sub = nullptr;
        std::string subName = "k" + std::to_string(i);
        if (RegCreateKeyA(key, subName.c_str(), &sub) != ERROR_SUCCESS)
            ++failures;
        else
            RegCloseKey(sub);
    }
    RegCloseKey(key);
    return failures ? 3 : 0;
}

int checkValue(const char* path, const char* name, const char* expected)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 2;
    char buffer[4096];
    DWORD size = sizeof buffer;
    DWORD type = 0;
    LONG status =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ)
        return 3;
    if (size != std::strlen(expected) + 1 || std::strcmp(buffer, expected) != 0) {
        std::fprintf(stderr, "found \"%s\"\n", buffer);
        return 4;
    }
    return 0;
}
ClassRegistration localServerClass()
{
    ClassRegistration r;
    r.clsid = makeGuid("{5E1D0A01-0000-4000-8000-0000000000A2}");
    r.friendlyName = "Registration test server";
    r.kind = ServerKind::LocalServer;
    r.serverPath = modulePathOf(reinterpret_cast<const void*>(&localServerClass));
    r.progId = "OrvelTest.LocalServer.1";
    r.appId = makeGuid("{5E1D0A01-0000-4000-8000-0000000000C2}");
    return r;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "write") == 0)
        return writeValues(argv[2], std::atoi(argv[3]));
    if (argc == 5 && std::strcmp(argv[1], "check") == 0)
        return checkValue(argv[2], argv[3], argv[4]);
    if (argc == 2 && std::strcmp(argv[1], "RegServer") == 0)
        return FAILED(registerClass(localServerClass())) ? 5 : 0;
    if (argc == 2 && std::strcmp(argv[1], "UnregServer") == 0)
        return FAILED(unregisterClass(localServerClass())) ? 5 : 0;
    std::fprintf(
        stderr,
        "usage: RegistryChild write KEY COUNT | check KEY NAME TEXT | RegServer | UnregServer\n");
    return 1;
}
