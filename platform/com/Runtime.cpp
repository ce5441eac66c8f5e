#include "platform/com/Runtime.h"

#include "platform/base/Utf.h"
#include "platform/com/ClassObjectTable.h"
#include "platform/com/ClassRegistration.h"
#include "platform/com/ComPtr.h"
#include "platform/com/LocalActivation.h"
#include "platform/com/TaskMemory.h"
#include "platform/registry/RegistryKey.h"

#include <algorithm>
#include <atomic>
#include <dlfcn.h>
#include <mutex>
#include <string>
#include <vector>

namespace {

std::atomic<int> g_initCount{0};

// The default value (or valueName) of a key below HKEY_CLASSES_ROOT.
bool readClassesValue(const std::string& subKey, const char* valueName, std::string* out)
{
    RegistryKey key;
    return key.open(HKEY_CLASSES_ROOT, subKey, KEY_QUERY_VALUE) && key.readString(valueName, out);
}

bool classKeyExists(REFCLSID clsid)
{
    HKEY key = nullptr;
    std::string path = "CLSID\\" + guidToString(clsid);
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The in-process servers this process has loaded, each once, until CoFreeUnusedLibraries
// finds it idle.
class LibraryTable {
public:
    static LibraryTable& instance()
    {
        // Never destroyed: unloading libraries from a static destructor at exit would run
        // their code after parts of the process are gone.
        static auto* table = new LibraryTable;
        return *table;
    }

    // Held across DllGetClassObject and the creation so that CoFreeUnusedLibraries cannot
    // unload the library before the new object counts as live in it.
    HRESULT createInstance(const std::string& path, REFCLSID clsid, IUnknown* outer, REFIID riid,
                           void** ppv)
    {
        std::lock_guard lock(m_mutex);
        ComPtr<IClassFactory> factory;
        HRESULT hr = getClassObject(path, clsid, IID_IClassFactory, factory.putVoid());
        if (FAILED(hr))
            return hr;
        return factory->CreateInstance(outer, riid, ppv);
    }

    HRESULT getClassObject(const std::string& path, REFCLSID clsid, REFIID riid, void** ppv)
    {
        std::lock_guard lock(m_mutex);
        Library* lib = find(path);
        if (!lib) {
            void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!handle)
                return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
            auto get = reinterpret_cast<DllGetClassObjectFn>(::dlsym(handle, "DllGetClassObject"));
            if (!get) {
                ::dlclose(handle);
                return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
            }
            auto canUnload =
                reinterpret_cast<DllCanUnloadNowFn>(::dlsym(handle, "DllCanUnloadNow"));
            m_libraries.push_back({path, handle, get, canUnload});
            lib = &m_libraries.back();
        }
        return lib->getClassObject(clsid, riid, ppv);
    }

    void freeUnused()
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_libraries.begin(); it != m_libraries.end();) {
            // A library without DllCanUnloadNow stays loaded, as on Windows.
            if (it->canUnloadNow && it->canUnloadNow() == S_OK) {
                ::dlclose(it->handle);
                it = m_libraries.erase(it);
            } else {
                ++it;
            }
        }
    }

private:
    struct Library {
        std::string path;
        void* handle;
        DllGetClassObjectFn getClassObject;
        DllCanUnloadNowFn canUnloadNow;
    };
    Library* find(const std::string& path)
    {
        for (Library& l : m_libraries) {
            if (l.path == path)
                return &l;
        }
        return nullptr;
    }

    // Recursive: a library's DllGetClassObject may itself create objects by class id.
    std::recursive_mutex m_mutex;
    std::vector<Library> m_libraries; // guarded by m_mutex
};

HRESULT inprocClassObject(REFCLSID clsid, REFIID riid, void** ppv)
{
    std::string path;
    if (!inprocServerPath(clsid, &path))
        return REGDB_E_CLASSNOTREG;
    return LibraryTable::instance().getClassObject(path, clsid, riid, ppv);
}

HRESULT createFrom(IUnknown* classObject, IUnknown* outer, REFIID riid, void** ppv)
{
    ComPtr<IClassFactory> factory;
    if (FAILED(classObject->QueryInterface(IID_IClassFactory, factory.putVoid())) || !factory)
        return E_NOINTERFACE;
    return factory->CreateInstance(outer, riid, ppv);
}

} // namespace

HRESULT CoInitialize(void* reserved)
{
    return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED);
}

HRESULT CoInitializeEx(void*, DWORD)
{
    return g_initCount.fetch_add(1) == 0 ? S_OK : S_FALSE;
}

void CoUninitialize()
{
    int before = g_initCount.load();
    while (before > 0 && !g_initCount.compare_exchange_weak(before, before - 1)) {
    }
    if (before == 1) {
        shutdownServerHost();
        reapFinishedServers();
    }
}

HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, void*, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_INVALIDARG;
    *ppv = nullptr;
    if (dwClsContext & CLSCTX_LOCAL_SERVER) {
        if (ComPtr<IUnknown> registered = ClassObjectTable::instance().take(rclsid))
            return registered->QueryInterface(riid, ppv);
    }
    if (dwClsContext & CLSCTX_INPROC)
        return inprocClassObject(rclsid, riid, ppv);
    return REGDB_E_CLASSNOTREG;
}

HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid,
                         void** ppv)
{
    if (!ppv)
        return E_INVALIDARG;
    *ppv = nullptr;
    if (dwClsContext & CLSCTX_LOCAL_SERVER) {
        if (ComPtr<IUnknown> registered = ClassObjectTable::instance().take(rclsid))
            return createFrom(registered.get(), pUnkOuter, riid, ppv);
    }
    std::string path;
    if ((dwClsContext & CLSCTX_INPROC) && inprocServerPath(rclsid, &path))
        return LibraryTable::instance().createInstance(path, rclsid, pUnkOuter, riid, ppv);
    if (dwClsContext & CLSCTX_LOCAL_SERVER) {
        std::string command;
        if (readClassesValue("CLSID\\" + guidToString(rclsid) + "\\LocalServer32", nullptr,
                             &command) &&
            !command.empty()) {
            // An object in another process cannot be part of this one's outer object.
            if (pUnkOuter)
                return CLASS_E_NOAGGREGATION;
            return activateLocalServer(rclsid, command, riid, ppv);
        }
    }
    return REGDB_E_CLASSNOTREG;
}

HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, CLSID* lpclsid)
{
    if (!lpszProgID || !lpclsid)
        return E_INVALIDARG;
    *lpclsid = CLSID_NULL;
    std::string progId = utf16ToUtf8(lpszProgID);
    if (progId.empty() || progId.find('\\') != std::string::npos)
        return REGDB_E_CLASSNOTREG;
    // A version-independent ProgID names its current version in CurVer; follow a few steps
    // (a loop in the registry must not hang us) and fall back to the name's own CLSID.
    std::vector<std::string> chain{progId};
    std::string next;
    while (chain.size() < 8 && readClassesValue(chain.back() + "\\CurVer", nullptr, &next) &&
           !next.empty() && next.find('\\') == std::string::npos &&
           std::find(chain.begin(), chain.end(), next) == chain.end())
        chain.push_back(next);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        std::string text;
        if (!readClassesValue(*it + "\\CLSID", nullptr, &text))
            continue;
        if (!guidFromString(text, lpclsid))
            return CO_E_CLASSSTRING;
        return S_OK;
    }
    return REGDB_E_CLASSNOTREG;
}

HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* lplpszProgID)
{
    if (!lplpszProgID)
        return E_INVALIDARG;
    *lplpszProgID = nullptr;
    std::string progId;
    if (!readClassesValue("CLSID\\" + guidToString(clsid) + "\\ProgID", nullptr, &progId) ||
        progId.empty())
        return classKeyExists(clsid) ? REGDB_E_READREGDB : REGDB_E_CLASSNOTREG;
    std::u16string wide = utf8ToUtf16(progId);
    auto* out = static_cast<LPOLESTR>(CoTaskMemAlloc((wide.size() + 1) * sizeof(OLECHAR)));
    if (!out)
        return E_OUTOFMEMORY;
    std::copy(wide.begin(), wide.end(), out);
    out[wide.size()] = 0;
    *lplpszProgID = out;
    return S_OK;
}

void CoFreeUnusedLibraries()
{
    LibraryTable::instance().freeUnused();
    reapFinishedServers();
}

HRESULT CoRegisterClassObject(REFCLSID rclsid, IUnknown* pUnk, DWORD dwClsContext, DWORD flags,
                              DWORD* lpdwRegister)
{
    if (!pUnk || !lpdwRegister)
        return E_INVALIDARG;
    HRESULT hr = ClassObjectTable::instance().add(rclsid, pUnk, dwClsContext, flags, lpdwRegister);
    if (SUCCEEDED(hr) && (dwClsContext & CLSCTX_LOCAL_SERVER))
        startServerHostIfEmbedded();
    return hr;
}

HRESULT CoRevokeClassObject(DWORD dwRegister)
{
    return ClassObjectTable::instance().revoke(dwRegister);
}

HRESULT CoResumeClassObjects()
{
    return S_OK;
}
