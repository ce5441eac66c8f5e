// The library as a server: registration, creation by class id and ProgID, aggregation and
// the unload answer.

#include "common/MedrixClasses.h"
#include "media/tests/MediaObjects.h"
#include "platform/com/ClassRegistration.h"
#include "platform/com/Runtime.h"
#include "platform/registry/Registry.h"

#include <atomic>
#include <dlfcn.h>
#include <gtest/gtest.h>

using namespace medrix::test;

namespace {

std::string readDefault(const std::string& path, const char* name = nullptr)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<missing>";
    char buffer[512] = {};
    DWORD size = sizeof buffer;
    DWORD type = 0;
    LSTATUS rc =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? std::string(buffer) : "<no value>";
}

TEST(MedrixModule, RegistrationWritesClassAndProgIdKeys)
{
    struct Expected {
        const CLSID& clsid;
        const char* name;
        const char* progId;
    } classes[] = {{CLSID_CamImageObject, "CamImageObject", "Medrix.CamImageObject"},
                   {CLSID_CamSoundObject, "CamSoundObject", "Medrix.CamSoundObject"}};
    for (const Expected& c : classes) {
        std::string clsidKey = "CLSID\\" + guidToString(c.clsid);
        EXPECT_EQ(readDefault(clsidKey), std::string(c.name) + " Class");
        EXPECT_EQ(readDefault(clsidKey + "\\InprocServer32"), medrixLibraryPath());
        EXPECT_EQ(readDefault(clsidKey + "\\InprocServer32", "ThreadingModel"), "Apartment");
        EXPECT_EQ(readDefault(clsidKey + "\\ProgID"), std::string(c.progId) + ".1");
        EXPECT_EQ(readDefault(clsidKey + "\\VersionIndependentProgID"), c.progId);
        EXPECT_EQ(readDefault(clsidKey + "\\TypeLib"), guidToString(LIBID_Medrix));
        EXPECT_EQ(readDefault(std::string(c.progId) + "\\CurVer"), std::string(c.progId) + ".1");

        CLSID found{};
        ASSERT_EQ(CLSIDFromProgID(Bstr(c.progId).get(), &found), S_OK);
        EXPECT_EQ(found, c.clsid);
    }
}

TEST(MedrixModule, ObjectsAnswerForTheirInterfacesOnly)
{
    auto image = createImageObject();
    ASSERT_TRUE(image);
    EXPECT_TRUE(image.as<ICamDataObject>());
    EXPECT_FALSE(image.as<ICamSoundObject>());
    auto sound = createSoundObject();
    ASSERT_TRUE(sound);
    EXPECT_TRUE(sound.as<ICamDataObject>());
    EXPECT_FALSE(sound.as<ICamImageObject>());
}

// An outer object that aggregates an image object and hands out its interfaces.
class Outer final : public IUnknown {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (IsEqualIID(riid, IID_IUnknown)) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        return inner->QueryInterface(riid, ppv);
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }

    std::atomic<ULONG> refs{1};
    ComPtr<IUnknown> inner;
};

TEST(MedrixModule, ImageObjectCanBeAggregated)
{
    Outer outer;
    EXPECT_EQ(CoCreateInstance(CLSID_CamImageObject, &outer, CLSCTX_INPROC_SERVER,
                               IID_ICamImageObject, reinterpret_cast<void**>(outer.inner.put())),
              CLASS_E_NOAGGREGATION);
    ASSERT_EQ(CoCreateInstance(CLSID_CamImageObject, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(outer.inner.put())),
              S_OK);
    ICamImageObject* image = nullptr;
    ASSERT_EQ(outer.QueryInterface(IID_PPV_ARGS(&image)), S_OK);
    EXPECT_EQ(outer.refs.load(), 2u); // the inner object counts on the outer one
    // Its interfaces lead back to the outer object.
    IUnknown* back = nullptr;
    ASSERT_EQ(image->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&back)), S_OK);
    EXPECT_EQ(back, static_cast<IUnknown*>(&outer));
    back->Release();
    image->Release();
    EXPECT_EQ(outer.refs.load(), 1u);
    outer.inner.reset();
}

TEST(MedrixModule, CanUnloadOnlyWithoutObjectsAndLocks)
{
    void* library = ::dlopen(medrixLibraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << ::dlerror();
    auto canUnload = reinterpret_cast<DllCanUnloadNowFn>(::dlsym(library, "DllCanUnloadNow"));
    auto getClass = reinterpret_cast<DllGetClassObjectFn>(::dlsym(library, "DllGetClassObject"));
    ASSERT_TRUE(canUnload && getClass);
    EXPECT_EQ(canUnload(), S_OK);

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(getClass(CLSID_CamSoundObject, IID_PPV_ARGS(factory.put())), S_OK);
    ComPtr<ICamSoundObject> sound;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(sound.put())), S_OK);
    factory->LockServer(TRUE);
    factory.reset();
    EXPECT_EQ(canUnload(), S_FALSE);
    sound.reset();
    EXPECT_EQ(canUnload(), S_FALSE); // the server lock
    ASSERT_EQ(getClass(CLSID_CamSoundObject, IID_PPV_ARGS(factory.put())), S_OK);
    factory->LockServer(FALSE);
    factory.reset();
    EXPECT_EQ(canUnload(), S_OK);

    EXPECT_EQ(getClass(IID_ICamDataObject, IID_PPV_ARGS(factory.put())), CLASS_E_CLASSNOTAVAILABLE);
    ::dlclose(library);
}

TEST(MedrixModule, UnregistrationRemovesTheClasses)
{
    std::string detail;
    ASSERT_EQ(registerServerLibrary(medrixLibraryPath(), true, &detail), S_OK) << detail;
    ComPtr<ICamImageObject> image;
    EXPECT_EQ(CoCreateInstance(CLSID_CamImageObject, nullptr, CLSCTX_INPROC_SERVER,
                               IID_PPV_ARGS(image.put())),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(readDefault("Medrix.CamSoundObject"), "<missing>");
    EXPECT_EQ(readDefault("TypeLib\\" + guidToString(LIBID_Medrix)), "<missing>");
    // Back for the tests after this one.
    ASSERT_EQ(registerServerLibrary(medrixLibraryPath(), false, &detail), S_OK) << detail;
}

} // namespace
