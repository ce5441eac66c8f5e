// The library as a server: creation by class id and ProgID, aggregation, the unload answer,
// and what registration writes and removes.

#include "client/Log.h"
#include "client/tests/LuminFixture.h"
#include "common/ICamModuleVersion.h"
#include "common/ILuminentError.h"
#include "common/LuminClasses.h"
#include "platform/base/StateRoot.h"
#include "platform/base/Utf.h"
#include "platform/com/ClassRegistration.h"
#include "platform/registry/Registry.h"

#include <atomic>
#include <dlfcn.h>
#include <fstream>
#include <map>

namespace lumin::test {
namespace {

const CLSID kTargets[] = {CLSID_CamTarget100, CLSID_CamTarget110, CLSID_CamTarget200,
                          CLSID_CamTarget201, CLSID_CamTarget210, CLSID_CamTarget211};

// The library's own entry point, from the copy the runtime loaded.
HRESULT canUnloadNow()
{
    void* handle = ::dlopen(luminLibraryPath().c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return E_UNEXPECTED; // not loaded
    auto fn = reinterpret_cast<DllCanUnloadNowFn>(::dlsym(handle, "DllCanUnloadNow"));
    HRESULT hr = fn ? fn() : E_UNEXPECTED;
    ::dlclose(handle);
    return hr;
}

class LuminServer : public LuminFixture {};

TEST_F(LuminServer, CreatesEveryClassByItsProgIds)
{
    struct Names {
        const char16_t* independent;
        const char16_t* versioned;
        CLSID clsid;
    };
    const Names names[] = {
        {kProgIdLuminent, kProgIdLuminent1, CLSID_Luminent},
        {kProgIdCamTarget100, kProgIdCamTarget100_1, CLSID_CamTarget100},
        {kProgIdCamTarget110, kProgIdCamTarget110_1, CLSID_CamTarget110},
        {kProgIdCamTarget200, kProgIdCamTarget200_1, CLSID_CamTarget200},
        {kProgIdCamTarget201, kProgIdCamTarget201_1, CLSID_CamTarget201},
        {kProgIdCamTarget210, kProgIdCamTarget210_1, CLSID_CamTarget210},
        {kProgIdCamTarget211, kProgIdCamTarget211_1, CLSID_CamTarget211},
    };
    for (const Names& n : names) {
        for (const char16_t* progId : {n.independent, n.versioned}) {
            CLSID clsid = GUID_NULL;
            ASSERT_EQ(CLSIDFromProgID(progId, &clsid), S_OK) << utf16ToUtf8(progId);
            EXPECT_EQ(guidToString(clsid), guidToString(n.clsid));
            ComPtr<IUnknown> object = create<IUnknown>(clsid);
            EXPECT_TRUE(object);
        }
    }
}

TEST_F(LuminServer, LuminentAnswersForItsInterfacesOnly)
{
    ComPtr<IUnknown> luminent = create<IUnknown>(CLSID_Luminent);
    ASSERT_TRUE(luminent);
    EXPECT_TRUE(luminent.as<ICamModuleVersion>());
    EXPECT_TRUE(luminent.as<ILuminentError>());
    EXPECT_FALSE(luminent.as<ICamTarget>());
    ComPtr<ICamTarget> target;
    EXPECT_EQ(CoCreateInstance(CLSID_Luminent, nullptr, CLSCTX_INPROC_SERVER, IID_ICamTarget,
                               target.putVoid()),
              E_NOINTERFACE);
}

TEST_F(LuminServer, UnknownClassIsNotAvailableFromTheLibrary)
{
    void* handle = ::dlopen(luminLibraryPath().c_str(), RTLD_NOW);
    ASSERT_NE(handle, nullptr);
    auto fn = reinterpret_cast<DllGetClassObjectFn>(::dlsym(handle, "DllGetClassObject"));
    ASSERT_NE(fn, nullptr);
    void* factory = reinterpret_cast<void*>(1);
    EXPECT_EQ(fn(LIBID_Lumin, IID_IClassFactory, &factory), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(factory, nullptr);
    ::dlclose(handle);
}

// A minimal outer object: counts its references so the test sees where the inner object's
// AddRef and Release go.
class Outer final : public IUnknown {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (IsEqualIID(riid, IID_IUnknown)) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override { return --m_refs; }
    std::atomic<ULONG> m_refs{1};
};

TEST_F(LuminServer, EveryClassCanBeAggregatedThroughIUnknownOnly)
{
    std::vector<CLSID> classes(std::begin(kTargets), std::end(kTargets));
    classes.push_back(CLSID_Luminent);
    for (const CLSID& clsid : classes) {
        Outer outer;
        ComPtr<IUnknown> wrong;
        EXPECT_EQ(
            CoCreateInstance(clsid, &outer, CLSCTX_INPROC_SERVER, IID_ICamTarget, wrong.putVoid()),
            CLASS_E_NOAGGREGATION);
        EXPECT_FALSE(wrong);

        IUnknown* inner = nullptr;
        ASSERT_EQ(CoCreateInstance(clsid, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                   reinterpret_cast<void**>(&inner)),
                  S_OK);
        EXPECT_EQ(outer.m_refs, 1u) << "the inner object must not hold its outer";
        // An interface of the inner object delegates its IUnknown to the outer object.
        IUnknown* piece = nullptr;
        const IID& iid = IsEqualCLSID(clsid, CLSID_Luminent) ? IID_ILuminentError : IID_ICamTarget;
        ASSERT_EQ(inner->QueryInterface(iid, reinterpret_cast<void**>(&piece)), S_OK);
        EXPECT_EQ(outer.m_refs, 2u);
        IUnknown* viaPiece = nullptr;
        ASSERT_EQ(piece->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&viaPiece)), S_OK);
        EXPECT_EQ(viaPiece, &outer);
        viaPiece->Release();
        piece->Release();
        EXPECT_EQ(outer.m_refs, 1u);
        EXPECT_EQ(inner->Release(), 0u);
    }
}

TEST_F(LuminServer, StaysLoadedWhileAnObjectOrALockLives)
{
    {
        ComPtr<ICamTarget> target = create<ICamTarget>(CLSID_CamTarget210);
        ASSERT_TRUE(target);
        EXPECT_EQ(canUnloadNow(), S_FALSE);
        ComPtr<ICamTarget> second = create<ICamTarget>(CLSID_CamTarget100);
        target.reset();
        EXPECT_EQ(canUnloadNow(), S_FALSE);
    }
    EXPECT_EQ(canUnloadNow(), S_OK);

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(CoGetClassObject(CLSID_Luminent, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               factory.putVoid()),
              S_OK);
    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    ASSERT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(canUnloadNow(), S_OK);
    // An unlock without a lock does not count below the live objects.
    ComPtr<ICamTarget> target = create<ICamTarget>(CLSID_CamTarget201);
    factory->LockServer(FALSE);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    target.reset();
    EXPECT_EQ(canUnloadNow(), S_OK);
}

bool isLoaded()
{
    void* handle = ::dlopen(luminLibraryPath().c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle)
        ::dlclose(handle);
    return handle != nullptr;
}

TEST_F(LuminServer, UnloadsWhenIdleAndStartsAfreshWhenLoadedAgain)
{
    const std::string log = stateFolder() + "/LuminLog.txt";
    {
        ComPtr<ILuminentError> error = create<ILuminentError>(CLSID_Luminent);
        ASSERT_TRUE(error);
        ASSERT_EQ(error->EnableLog(LogCall), S_OK);
        ASSERT_EQ(error->EnableLog(LogCall), S_OK);
        CoFreeUnusedLibraries();
        EXPECT_TRUE(isLoaded()) << "unloaded with a live object";
    }
    CoFreeUnusedLibraries();
    EXPECT_FALSE(isLoaded());

    // Unloading closed the log whatever its count was: it starts again at one.
    ComPtr<ILuminentError> error = create<ILuminentError>(CLSID_Luminent);
    ASSERT_TRUE(error);
    ASSERT_EQ(error->EnableLog(LogCall), S_OK);
    ASSERT_EQ(error->DisableLog(), S_OK);
    std::ifstream in(log, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line.substr(line.find("  ") + 2));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "*** Log Enabled (1) ***\r");
    EXPECT_EQ(lines[1], "*** Log Enabled (2) ***\r");
    EXPECT_EQ(lines[2], "*** Log Enabled (1) ***\r");
    EXPECT_EQ(lines[3], "*** Log Disabled (0) ***\r");
}

// Registration in a state root of its own per test.
class LuminRegistration : public testing::Test {
protected:
    HRESULT run(bool unregister)
    {
        std::string detail;
        HRESULT hr = registerServerLibrary(luminLibraryPath(), unregister, &detail);
        EXPECT_EQ(hr, S_OK) << detail;
        return hr;
    }

    TempStateRoot m_root;
};

bool keyExists(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::string stringValue(HKEY root, const std::string& path, const char* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<no key>";
    char data[512] = {};
    DWORD size = sizeof data - 1, type = 0;
    LSTATUS status =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ ? std::string(data) : "<no value>";
}

// Every key below path with its values, as "key|name=type:data" lines in registry order.
void dumpTree(HKEY root, const std::string& path, std::vector<std::string>* out)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    for (DWORD i = 0;; ++i) {
        char name[300];
        DWORD nameSize = sizeof name, type = 0;
        BYTE data[600];
        DWORD dataSize = sizeof data;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) !=
            ERROR_SUCCESS)
            break;
        out->push_back(path + "|" + std::string(name, nameSize) + "=" + std::to_string(type) + ":" +
                       std::string(reinterpret_cast<char*>(data), dataSize));
    }
    std::vector<std::string> children;
    for (DWORD i = 0;; ++i) {
        char name[300];
        if (RegEnumKeyA(key, i, name, sizeof name) != ERROR_SUCCESS)
            break;
        children.emplace_back(name);
    }
    RegCloseKey(key);
    for (const std::string& child : children) {
        out->push_back(path + "\\" + child);
        dumpTree(root, path + "\\" + child, out);
    }
}

constexpr const char* kSettings = "Software\\Orvel Works\\Lumin\\Settings";

std::vector<std::string> settingsTree()
{
    std::vector<std::string> tree;
    dumpTree(HKEY_LOCAL_MACHINE, kSettings, &tree);
    return tree;
}

TEST_F(LuminRegistration, WritesTheClassesAndTheModelTable)
{
    ASSERT_EQ(run(false), S_OK);
    const std::string clsid = "CLSID\\" + guidToString(CLSID_CamTarget210);
    EXPECT_EQ(stringValue(HKEY_CLASSES_ROOT, clsid, nullptr), "CamTarget210 Class");
    EXPECT_EQ(stringValue(HKEY_CLASSES_ROOT, clsid + "\\InprocServer32", nullptr),
              luminLibraryPath());
    EXPECT_EQ(stringValue(HKEY_CLASSES_ROOT, clsid + "\\InprocServer32", "ThreadingModel"),
              "Apartment");
    EXPECT_EQ(stringValue(HKEY_CLASSES_ROOT, "Lumin.Luminent\\CurVer", nullptr),
              "Lumin.Luminent.1");
    EXPECT_EQ(stringValue(HKEY_CLASSES_ROOT, "CLSID\\" + guidToString(CLSID_Luminent), nullptr),
              "Luminent Class");
    EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, "TypeLib\\" + guidToString(LIBID_Lumin)));

    // The default target, then a model, its firmware rows and its default.
    EXPECT_EQ(stringValue(HKEY_LOCAL_MACHINE, kSettings, nullptr),
              "{134D21E6-1EBC-11D5-B0AB-009027BD8645}");
    const std::string oc46 = std::string(kSettings) + "\\OC46";
    EXPECT_EQ(stringValue(HKEY_LOCAL_MACHINE, oc46, nullptr),
              "{B53D58A8-083C-4796-91B7-6E6699B2A7A5}");
    EXPECT_EQ(stringValue(HKEY_LOCAL_MACHINE, oc46, "4.00"),
              "{134D21E6-1EBC-11D5-B0AB-009027BD8645}");
    EXPECT_EQ(stringValue(HKEY_LOCAL_MACHINE, std::string(kSettings) + "\\OS10", "1.20"),
              "{9814A00E-29D0-11D5-B0AC-009027BD8645}");

    HKEY settings = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettings, 0, KEY_READ, &settings), ERROR_SUCCESS);
    DWORD subkeys = 0;
    RegQueryInfoKeyA(settings, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(settings);
    EXPECT_EQ(subkeys, 16u);

    // Exactly one model is hidden from the chooser.
    int hidden = 0;
    for (const std::string& line : settingsTree())
        hidden += line.find("|Hidden=") != std::string::npos;
    EXPECT_EQ(hidden, 1);
}

TEST_F(LuminRegistration, RegisteringAgainRecreatesTheSameTable)
{
    ASSERT_EQ(run(false), S_OK);
    auto first = settingsTree();
    ASSERT_FALSE(first.empty());

    // Whatever was added to the key since goes when it is re-created.
    HKEY junk = nullptr;
    ASSERT_EQ(
        RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\Orvel Works\\Lumin\\Settings\\Junk", &junk),
        ERROR_SUCCESS);
    RegCloseKey(junk);
    ASSERT_EQ(run(false), S_OK);
    EXPECT_EQ(settingsTree(), first);
}

TEST_F(LuminRegistration, UnregisteringRemovesTheLuminKeyAndTheClasses)
{
    ASSERT_EQ(run(false), S_OK);
    ASSERT_EQ(run(true), S_OK);
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "Software\\Orvel Works\\Lumin"));
    for (const CLSID& clsid : kTargets)
        EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, "CLSID\\" + guidToString(clsid)));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, "CLSID\\" + guidToString(CLSID_Luminent)));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, "Lumin.CamTarget210"));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, "TypeLib\\" + guidToString(LIBID_Lumin)));
    ComPtr<ICamTarget> target;
    EXPECT_EQ(CoCreateInstance(CLSID_CamTarget210, nullptr, CLSCTX_INPROC_SERVER, IID_ICamTarget,
                               target.putVoid()),
              REGDB_E_CLASSNOTREG);
}

} // namespace
} // namespace lumin::test
