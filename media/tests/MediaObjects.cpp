#include "media/tests/MediaObjects.h"

#include "common/MedrixClasses.h"
#include "platform/com/ClassRegistration.h"
#include "platform/com/Runtime.h"
#include "testsupport/TempStateRoot.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace medrix::test {

namespace {

// One registration per test program, in a state root of its own; the null sound device, so
// a machine with a sound card stays quiet.
class RegisteredMedrix : public testing::Environment {
public:
    void SetUp() override
    {
        setenv("ORVEL_AUDIO", "null", 1);
        m_root = std::make_unique<TempStateRoot>();
        std::string detail;
        ASSERT_EQ(registerServerLibrary(medrixLibraryPath(), false, &detail), S_OK) << detail;
    }
    void TearDown() override
    {
        CoFreeUnusedLibraries();
        m_root.reset();
    }

private:
    std::unique_ptr<TempStateRoot> m_root;
};

[[maybe_unused]] testing::Environment* const g_environment =
    testing::AddGlobalTestEnvironment(new RegisteredMedrix);

} // namespace

std::string medrixLibraryPath()
{
    return (std::filesystem::canonical("/proc/self/exe").parent_path() / "Medrix.so").string();
}

ComPtr<ICamImageObject> createImageObject()
{
    ComPtr<ICamImageObject> image;
    EXPECT_EQ(CoCreateInstance(CLSID_CamImageObject, nullptr, CLSCTX_INPROC_SERVER,
                               IID_PPV_ARGS(image.put())),
              S_OK);
    return image;
}

ComPtr<ICamSoundObject> createSoundObject()
{
    ComPtr<ICamSoundObject> sound;
    EXPECT_EQ(CoCreateInstance(CLSID_CamSoundObject, nullptr, CLSCTX_INPROC_SERVER,
                               IID_PPV_ARGS(sound.put())),
              S_OK);
    return sound;
}

void refill(IUnknown* object, const std::vector<std::uint8_t>& bytes, const char* contentType)
{
    ComPtr<ICamDataObject> data;
    ASSERT_EQ(object->QueryInterface(IID_PPV_ARGS(data.put())), S_OK);
    data->Lock();
    data->SetProperty(Bstr("Content-Type").get(), Bstr(contentType).get());
    data->SetProperty(Bstr("Content-Length").get(), Bstr(std::to_string(bytes.size())).get());
    data->SetData(static_cast<DWORD>(bytes.size()), const_cast<BYTE*>(bytes.data()));
    data->Unlock();
}

} // namespace medrix::test
