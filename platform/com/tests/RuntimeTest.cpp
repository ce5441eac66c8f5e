// Creation by class id through the registry, against a real shared library loaded by the
// runtime: create, aggregate and refuse, release and unload, ProgIDs through CurVer, and the
// answers to bad input.

#include "platform/com/Runtime.h"

#include "platform/base/Utf.h"
#include "platform/com/ClassRegistration.h"
#include "platform/com/ComPtr.h"
#include "platform/com/TaskMemory.h"
#include "platform/com/UnknownImpl.h"
#include "platform/com/tests/TestInterfaces.h"
#include "platform/registry/Registry.h"
#include "testsupport/TempStateRoot.h"

#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace {

const std::string kServerPath = TEST_INPROC_SERVER;

bool libraryMapped()
{
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        if (line.find(kServerPath) != std::string::npos)
            return true;
    }
    return false;
}

ClassRegistration inproc(REFCLSID clsid, const char* progId, const char* viProgId)
{
    ClassRegistration r;
    r.clsid = clsid;
    r.friendlyName = "Test class";
    r.serverPath = kServerPath;
    r.progId = progId;
    r.versionIndependentProgId = viProgId;
    return r;
}

void setClassesValue(const std::string& key, const char* name, const std::string& value)
{
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &k, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1)),
              ERROR_SUCCESS);
    RegCloseKey(k);
}

// An outer object that aggregates the test counter, as a deliverable aggregates a helper.
class Outer final : public IUnknown {
public:
    HRESULT init()
    {
        return CoCreateInstance(CLSID_TestCounter, this, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                m_inner.putVoid());
    }
    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown)) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        if (IsEqualIID(riid, IID_ITestCounter) && m_inner)
            return m_inner->QueryInterface(riid, ppv);
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override
    {
        ULONG left = --m_refs;
        if (left == 0)
            delete this;
        return left;
    }
    ULONG refs() const { return m_refs; }

private:
    ~Outer() = default;
    ULONG m_refs = 1;
    ComPtr<IUnknown> m_inner; // the inner's non-delegating unknown
};

struct Runtime : ::testing::Test {
    void SetUp() override
    {
        ASSERT_EQ(
            registerClass(inproc(CLSID_TestCounter, "OrvelTest.Counter.1", "OrvelTest.Counter")),
            S_OK);
        ASSERT_EQ(registerClass(inproc(CLSID_TestLoner, "", "")), S_OK);
    }
    void TearDown() override { CoFreeUnusedLibraries(); }
    TempStateRoot root;
};

TEST_F(Runtime, CreatesByClassIdAndUnloadsWhenIdle)
{
    ComPtr<ITestCounter> counter;
    ASSERT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_INPROC_SERVER, IID_ITestCounter,
                               counter.putVoid()),
              S_OK);
    ASSERT_TRUE(counter);
    EXPECT_TRUE(libraryMapped());
    counter->Add(5);
    // A second object comes from the same loaded library: one load for both.
    ComPtr<ITestCounter> second;
    ASSERT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_ALL, IID_PPV_ARGS(second.put())),
              S_OK);
    LONG total = 0;
    second->GetTotal(&total);
    EXPECT_EQ(total, 0); // a distinct object
    counter->GetTotal(&total);
    EXPECT_EQ(total, 5);

    CoFreeUnusedLibraries(); // objects alive: stays loaded
    EXPECT_TRUE(libraryMapped());
    counter.reset();
    second.reset();

    // A held factory with a server lock keeps it too.
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(CoGetClassObject(CLSID_TestCounter, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               factory.putVoid()),
              S_OK);
    factory->LockServer(TRUE);
    factory.reset();
    CoFreeUnusedLibraries();
    EXPECT_TRUE(libraryMapped());
    ASSERT_EQ(CoGetClassObject(CLSID_TestCounter, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               factory.putVoid()),
              S_OK);
    factory->LockServer(FALSE);
    factory.reset();

    CoFreeUnusedLibraries();
    EXPECT_FALSE(libraryMapped());
    // And it loads again on the next creation.
    ASSERT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_INPROC_SERVER, IID_ITestCounter,
                               counter.putVoid()),
              S_OK);
    EXPECT_TRUE(libraryMapped());
}

TEST_F(Runtime, AnUnlockWithoutALockNeverUnloadsALiveObject)
{
    ComPtr<ITestCounter> counter;
    ASSERT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_INPROC_SERVER, IID_ITestCounter,
                               counter.putVoid()),
              S_OK);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(CoGetClassObject(CLSID_TestCounter, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               factory.putVoid()),
              S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory.reset();
    CoFreeUnusedLibraries();
    ASSERT_TRUE(libraryMapped()) << "unloaded under a live object";
    EXPECT_EQ(counter->Add(3), S_OK);

    // Nor do the ignored unlocks cancel a later lock.
    ASSERT_EQ(CoGetClassObject(CLSID_TestCounter, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               factory.putVoid()),
              S_OK);
    factory->LockServer(TRUE);
    factory.reset();
    counter.reset();
    CoFreeUnusedLibraries();
    EXPECT_TRUE(libraryMapped()) << "unloaded under a server lock";
    ASSERT_EQ(CoGetClassObject(CLSID_TestCounter, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               factory.putVoid()),
              S_OK);
    factory->LockServer(FALSE);
    factory.reset();
    CoFreeUnusedLibraries();
    EXPECT_FALSE(libraryMapped());
}

TEST_F(Runtime, AggregatedObjectDelegatesToItsOuterUnknown)
{
    auto* outer = new Outer;
    ASSERT_EQ(outer->init(), S_OK);
    {
        ComPtr<ITestCounter> counter;
        ASSERT_EQ(outer->QueryInterface(IID_ITestCounter, counter.putVoid()), S_OK);
        // The inner interface's IUnknown is the outer one: identity, and references.
        ComPtr<IUnknown> identity;
        ASSERT_EQ(counter->QueryInterface(IID_IUnknown, identity.putVoid()), S_OK);
        EXPECT_EQ(identity.get(), static_cast<IUnknown*>(outer));
        EXPECT_EQ(outer->refs(), 3u);
        counter->Add(2);
        LONG total = 0;
        counter->GetTotal(&total);
        EXPECT_EQ(total, 2);
    }
    EXPECT_EQ(outer->refs(), 1u);
    outer->Release();
    CoFreeUnusedLibraries();
    EXPECT_FALSE(libraryMapped()); // the inner object went with its outer
}

TEST_F(Runtime, AggregationIsRefusedAsTheRulesSay)
{
    auto* outer = new Outer;
    ComPtr<ITestCounter> counter;
    // With an outer object only IUnknown may be asked for.
    EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, outer, CLSCTX_INPROC_SERVER, IID_ITestCounter,
                               counter.putVoid()),
              CLASS_E_NOAGGREGATION);
    EXPECT_FALSE(counter);
    ComPtr<IUnknown> unk;
    EXPECT_EQ(
        CoCreateInstance(CLSID_TestLoner, outer, CLSCTX_INPROC_SERVER, IID_IUnknown, unk.putVoid()),
        CLASS_E_NOAGGREGATION);
    EXPECT_FALSE(unk);
    EXPECT_EQ(outer->refs(), 1u);
    outer->Release();
    ASSERT_EQ(CoCreateInstance(CLSID_TestLoner, nullptr, CLSCTX_INPROC_SERVER, IID_ITestCounter,
                               counter.putVoid()),
              S_OK);
}

TEST_F(Runtime, ProgIdFollowsCurVer)
{
    CLSID clsid = GUID_NULL;
    EXPECT_EQ(CLSIDFromProgID(u"OrvelTest.Counter", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_TestCounter);
    EXPECT_EQ(CLSIDFromProgID(u"orveltest.counter.1", &clsid), S_OK); // keys ignore case
    EXPECT_EQ(clsid, CLSID_TestCounter);

    // CurVer wins over the version-independent key's own CLSID.
    setClassesValue("OrvelTest.Counter.2\\CLSID", nullptr, guidToString(CLSID_TestLoner));
    setClassesValue("OrvelTest.Counter\\CurVer", nullptr, "OrvelTest.Counter.2");
    EXPECT_EQ(CLSIDFromProgID(u"OrvelTest.Counter", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_TestLoner);
    // A CurVer naming nothing falls back to the key's own CLSID; a loop does not hang.
    setClassesValue("OrvelTest.Counter\\CurVer", nullptr, "OrvelTest.Missing.9");
    EXPECT_EQ(CLSIDFromProgID(u"OrvelTest.Counter", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_TestCounter);
    setClassesValue("Loop.A\\CurVer", nullptr, "Loop.B");
    setClassesValue("Loop.B\\CurVer", nullptr, "Loop.A");
    EXPECT_EQ(CLSIDFromProgID(u"Loop.A", &clsid), REGDB_E_CLASSNOTREG);

    LPOLESTR progId = nullptr;
    ASSERT_EQ(ProgIDFromCLSID(CLSID_TestCounter, &progId), S_OK);
    EXPECT_EQ(utf16ToUtf8(progId), "OrvelTest.Counter.1");
    CoTaskMemFree(progId);
}

TEST_F(Runtime, BadInputGetsItsCodes)
{
    EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_INPROC_SERVER, IID_ITestCounter,
                               nullptr),
              E_INVALIDARG);
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(makeGuid("{00000000-1111-2222-3333-444444444444}"), nullptr,
                               CLSCTX_ALL, IID_IUnknown, &p),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(p, nullptr);
    ComPtr<IUnknown> unk;
    EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_INPROC_SERVER, IID_IClassFactory,
                               unk.putVoid()),
              E_NOINTERFACE);
    // Registered in-process only: a local-server request does not find it.
    EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown,
                               unk.putVoid()),
              REGDB_E_CLASSNOTREG);

    CLSID clsid = CLSID_TestCounter;
    EXPECT_EQ(CLSIDFromProgID(u"No.Such.Thing", &clsid), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(clsid, GUID_NULL);
    EXPECT_EQ(CLSIDFromProgID(u"", &clsid), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CLSIDFromProgID(nullptr, &clsid), E_INVALIDARG);
    EXPECT_EQ(CLSIDFromProgID(u"OrvelTest.Counter", nullptr), E_INVALIDARG);
    setClassesValue("Broken.Prog\\CLSID", nullptr, "{not-a-guid}");
    EXPECT_EQ(CLSIDFromProgID(u"Broken.Prog", &clsid), CO_E_CLASSSTRING);

    for (const char16_t* bad :
         {u"", u"{3C1E7A10-5B2D-4E61-8F0A-7D4C2B19E001", u"3C1E7A10",
          u"{3C1E7A10-5B2D-4E61-8F0A-7D4C2B19E00G}", u"{3C1E7A10_5B2D-4E61-8F0A-7D4C2B19E001}"})
        EXPECT_EQ(CLSIDFromString(bad, &clsid), CO_E_CLASSSTRING) << utf16ToUtf8(bad);
    EXPECT_EQ(CLSIDFromString(u"{3c1e7a10-5b2d-4e61-8f0a-7d4c2b19e001}", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_TestCounter);
    EXPECT_EQ(CLSIDFromString(nullptr, &clsid), E_INVALIDARG);

    LPOLESTR progId = reinterpret_cast<LPOLESTR>(1);
    EXPECT_EQ(ProgIDFromCLSID(CLSID_TestLoner, &progId), REGDB_E_READREGDB);
    EXPECT_EQ(progId, nullptr);
    EXPECT_EQ(ProgIDFromCLSID(CLSID_TestLoner, nullptr), E_INVALIDARG);
    EXPECT_EQ(CoGetClassObject(CLSID_TestCounter, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               nullptr),
              E_INVALIDARG);
}

TEST_F(Runtime, BrokenRegistrationsFailWithoutLoadingAnything)
{
    ClassRegistration missing = inproc(makeGuid("{3C1E7A10-5B2D-4E61-8F0A-7D4C2B19E0F1}"), "", "");
    missing.serverPath = root.path() + "/nowhere/libGone.so";
    ASSERT_EQ(registerClass(missing), S_OK);
    ComPtr<IUnknown> unk;
    EXPECT_EQ(
        CoCreateInstance(missing.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, unk.putVoid()),
        HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));

    // A library without DllGetClassObject (the C library will do) is refused.
    ClassRegistration noEntry = inproc(makeGuid("{3C1E7A10-5B2D-4E61-8F0A-7D4C2B19E0F2}"), "", "");
    noEntry.serverPath = "libm.so.6";
    ASSERT_EQ(registerClass(noEntry), S_OK);
    EXPECT_EQ(
        CoCreateInstance(noEntry.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, unk.putVoid()),
        HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND));

    // The library loads but serves no such class.
    ClassRegistration stranger = inproc(makeGuid("{3C1E7A10-5B2D-4E61-8F0A-7D4C2B19E0F3}"), "", "");
    ASSERT_EQ(registerClass(stranger), S_OK);
    EXPECT_EQ(CoCreateInstance(stranger.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               unk.putVoid()),
              CLASS_E_CLASSNOTAVAILABLE);
    CoFreeUnusedLibraries();
    EXPECT_FALSE(libraryMapped());
}

} // namespace
