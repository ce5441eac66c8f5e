#include "platform/com/ClassRegistration.h"

#include "platform/com/Runtime.h"
#include "platform/registry/RegistryKey.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <dlfcn.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {
constexpr unsigned long kErrorModNotFound = 126;
constexpr unsigned long kErrorProcNotFound = 127;
constexpr auto kProgramDeadline = std::chrono::seconds(30);

// Creates HKCR\path and sets its default value and, optionally, one named value.
bool writeKey(const std::string& path, const std::string& defaultValue, const char* name = nullptr,
              const std::string& value = {})
{
    RegistryKey key;
    return key.create(HKEY_CLASSES_ROOT, path) && key.setString(nullptr, defaultValue) &&
           (!name || key.setString(name, value));
}

std::string defaultValueOf(const std::string& path)
{
    RegistryKey key;
    return key.open(HKEY_CLASSES_ROOT, path) ? key.text(nullptr) : std::string();
}

bool removeTree(const std::string& path)
{
    LONG status = RegDeleteTreeA(HKEY_CLASSES_ROOT, path.c_str());
    return status == ERROR_SUCCESS || status == static_cast<LONG>(ERROR_FILE_NOT_FOUND);
}

// A ProgID key goes only while it still names this class.
bool removeProgId(const std::string& progId, const std::string& clsid)
{
    if (progId.empty())
        return true;
    std::string owner = defaultValueOf(progId + "\\CLSID");
    GUID ownerId{}, ourId{};
    if (!guidFromString(owner, &ownerId) || !guidFromString(clsid, &ourId) || ownerId != ourId)
        return true;
    return removeTree(progId);
}
} // namespace

ClassRegistration inProcessRegistration(const CLSID& clsid, const std::string& friendlyName,
                                        const std::string& progId,
                                        const std::string& versionIndependentProgId,
                                        const GUID& typeLib, const std::string& libraryPath)
{
    ClassRegistration r;
    r.clsid = clsid;
    r.friendlyName = friendlyName;
    r.kind = ServerKind::InProcess;
    r.serverPath = libraryPath;
    r.threadingModel = "Apartment";
    r.progId = progId;
    r.versionIndependentProgId = versionIndependentProgId;
    r.typeLib = typeLib;
    return r;
}

namespace {
ClassRegistration registrationFor(const ClassEntry& entry, const GUID& typeLib,
                                  const std::string& libraryPath)
{
    return inProcessRegistration(
        *entry.clsid, entry.friendlyName, entry.progId ? entry.progId : "",
        entry.versionIndependentProgId ? entry.versionIndependentProgId : "", typeLib, libraryPath);
}
} // namespace

HRESULT registerClasses(std::span<const ClassEntry> classes, const GUID& typeLib,
                        const std::string& libraryPath)
{
    for (const ClassEntry& entry : classes) {
        if (HRESULT hr = registerClass(registrationFor(entry, typeLib, libraryPath)); FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT unregisterClasses(std::span<const ClassEntry> classes, const GUID& typeLib,
                          const std::string& libraryPath)
{
    HRESULT result = S_OK;
    for (const ClassEntry& entry : classes) {
        HRESULT hr = unregisterClass(registrationFor(entry, typeLib, libraryPath));
        if (FAILED(hr) && SUCCEEDED(result))
            result = hr;
    }
    return result;
}

HRESULT registerClass(const ClassRegistration& r)
{
    if (r.clsid == GUID_NULL || r.serverPath.empty())
        return E_INVALIDARG;
    const std::string clsid = guidToString(r.clsid);
    const std::string classKey = "CLSID\\" + clsid;
    bool ok = r.appId ? writeKey(classKey, r.friendlyName, "AppID", guidToString(*r.appId))
                      : writeKey(classKey, r.friendlyName);
    if (r.kind == ServerKind::InProcess) {
        ok = ok && writeKey(classKey + "\\InprocServer32", r.serverPath, "ThreadingModel",
                            r.threadingModel);
        removeTree(classKey + "\\LocalServer32");
    } else {
        ok = ok && writeKey(classKey + "\\LocalServer32", r.serverPath);
        removeTree(classKey + "\\InprocServer32");
    }
    if (!r.progId.empty()) {
        ok = ok && writeKey(classKey + "\\ProgID", r.progId) &&
             writeKey(r.progId, r.friendlyName) && writeKey(r.progId + "\\CLSID", clsid);
    }
    if (!r.versionIndependentProgId.empty()) {
        const std::string& vi = r.versionIndependentProgId;
        ok = ok && writeKey(classKey + "\\VersionIndependentProgID", vi) &&
             writeKey(vi, r.friendlyName) && writeKey(vi + "\\CLSID", clsid);
        if (!r.progId.empty())
            ok = ok && writeKey(vi + "\\CurVer", r.progId);
    }
    if (r.typeLib)
        ok = ok && writeKey(classKey + "\\TypeLib", guidToString(*r.typeLib));
    if (r.appId)
        ok = ok && writeKey("AppID\\" + guidToString(*r.appId), r.friendlyName);
    return ok ? S_OK : SELFREG_E_CLASS;
}

bool inprocServerPath(const CLSID& clsid, std::string* path)
{
    RegistryKey key;
    return key.open(HKEY_CLASSES_ROOT, "CLSID\\" + guidToString(clsid) + "\\InprocServer32",
                    KEY_QUERY_VALUE) &&
           key.readString(nullptr, path) && !path->empty();
}

HRESULT unregisterClass(const ClassRegistration& r)
{
    if (r.clsid == GUID_NULL)
        return E_INVALIDARG;
    const std::string clsid = guidToString(r.clsid);
    bool ok = removeProgId(r.versionIndependentProgId, clsid) && removeProgId(r.progId, clsid) &&
              removeTree("CLSID\\" + clsid);
    if (r.appId)
        ok = removeTree("AppID\\" + guidToString(*r.appId)) && ok;
    return ok ? S_OK : SELFREG_E_CLASS;
}

HRESULT registerTypeLibrary(const GUID& libid, const std::string& description,
                            const std::string& libraryPath, TypeLibraryHelpDir helpDir)
{
    const std::string version = "TypeLib\\" + guidToString(libid) + "\\1.0";
    bool ok = writeKey(version, description) && writeKey(version + "\\0\\linux64", libraryPath) &&
              writeKey(version + "\\FLAGS", "0");
    if (helpDir == TypeLibraryHelpDir::LibraryFolder)
        ok = ok &&
             writeKey(version + "\\HELPDIR", libraryPath.substr(0, libraryPath.rfind('/') + 1));
    return ok ? S_OK : SELFREG_E_CLASS;
}

HRESULT unregisterTypeLibrary(const GUID& libid)
{
    return removeTree("TypeLib\\" + guidToString(libid)) ? S_OK : SELFREG_E_CLASS;
}

HRESULT registerServerLibrary(const std::string& path, bool unregister, std::string* detail)
{
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        if (detail) {
            const char* message = ::dlerror();
            *detail = message ? message : "cannot load " + path;
        }
        return HRESULT_FROM_WIN32(kErrorModNotFound);
    }
    const char* entryName = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto entry = reinterpret_cast<DllRegisterServerFn>(::dlsym(library, entryName));
    HRESULT hr;
    if (!entry) {
        if (detail)
            *detail = path + " has no " + entryName;
        hr = HRESULT_FROM_WIN32(kErrorProcNotFound);
    } else {
        hr = entry();
        if (detail && FAILED(hr))
            *detail = std::string(entryName) + " failed";
    }
    ::dlclose(library);
    return hr;
}

HRESULT registerServerProgram(const std::string& path, bool unregister, std::string* detail)
{
    std::string program = path;
    std::string argument = unregister ? "UnregServer" : "RegServer";
    char* argv[] = {program.data(), argument.data(), nullptr};

    std::vector<std::string> variables;
    bool hasQpa = false;
    for (char** e = environ; *e; ++e) {
        variables.emplace_back(*e);
        hasQpa = hasQpa || variables.back().starts_with("QT_QPA_PLATFORM=");
    }
    if (!hasQpa)
        variables.emplace_back("QT_QPA_PLATFORM=offscreen");
    std::vector<char*> envp;
    for (auto& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    pid_t pid = -1;
    if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0) {
        if (detail)
            *detail = "cannot start " + path;
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    }
    auto until = std::chrono::steady_clock::now() + kProgramDeadline;
    int status = 0;
    while (true) {
        pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (done < 0 && errno != EINTR) {
            if (detail)
                *detail = "lost " + path;
            return E_FAIL;
        }
        if (std::chrono::steady_clock::now() >= until) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            if (detail)
                *detail = path + " " + argument + " did not finish";
            return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
        }
        // Registration takes milliseconds; a short poll keeps the wait bounded and simple.
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return S_OK;
    if (detail)
        *detail = WIFEXITED(status) ? path + " " + argument + " exited with " +
                                          std::to_string(WEXITSTATUS(status))
                                    : path + " " + argument + " crashed";
    return E_FAIL;
}
