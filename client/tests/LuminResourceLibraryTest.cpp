// The resource library beside the client library: a Luminent of a library that has one
// identifies cameras by the resource library's patterns; without one, by the built-in list.

#include "client/Log.h"
#include "client/tests/LuminFixture.h"
#include "common/ICamIdentifyTarget.h"
#include "common/ILuminentError.h"
#include "common/LuminClasses.h"
#include "platform/base/StateRoot.h"
#include "platform/com/ClassRegistration.h"
#include "testsupport/CamSimFixture.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace lumin::test {
namespace {

namespace fs = std::filesystem;

class LuminResourceLibrary : public LuminFixture {
protected:
    void SetUp() override
    {
        LuminFixture::SetUp();
        camsim::CamSimConfig config;
        config.model = "OC30";
        // Only the test resource library's first pattern reads this greeting.
        config.bannerText = "220 TESTCAM OC30 release 3.00 ready.";
        std::string error;
        m_camera = startCameraOnFreeAddress(config, &error);
        ASSERT_TRUE(m_camera) << error;
    }
    void TearDown() override { m_camera.reset(); }

    // Registers a copy of the client library in a folder that also holds the resource library.
    void registerCopyWithResources()
    {
        const fs::path folder = fs::path(stateRootPath()) / "installed";
        fs::create_directories(folder);
        fs::copy_file(luminLibraryPath(), folder / "Lumin.so");
        fs::copy_file(binaryFolder() + "/luminres-test/LuminRes.so", folder / "LuminRes.so");
        std::string detail;
        ASSERT_EQ(registerServerLibrary((folder / "Lumin.so").string(), false, &detail), S_OK)
            << detail;
    }

    HRESULT identify(std::string* name)
    {
        ComPtr<ICamIdentifyTarget> identify = create<ICamIdentifyTarget>(CLSID_Luminent);
        if (!identify)
            return E_UNEXPECTED;
        ComPtr<ICamTarget> target;
        Bstr found, version;
        HRESULT hr = identify->IdentifyTarget(Arg(m_camera->host().c_str()), target.put(),
                                              found.out(), version.out(), 5000);
        *name = found.utf8() + " " + version.utf8();
        return hr;
    }

    std::unique_ptr<camsim::CamSim> m_camera;
};

TEST_F(LuminResourceLibrary, BuiltInPatternsServeWithoutOne)
{
    // The greeting arrives but no built-in pattern reads it.
    ComPtr<ILuminentError> log = create<ILuminentError>(CLSID_Luminent);
    ASSERT_EQ(log->EnableLog(LogFailure), S_OK);
    std::string name;
    EXPECT_EQ(identify(&name), S_FALSE);
    log->DisableLog();
    std::ifstream in(stateFolder() + "/LuminLog.txt", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("GetNameAndVersion failed"), std::string::npos) << text;
    EXPECT_EQ(text.find("connect failed"), std::string::npos) << text;
}

TEST_F(LuminResourceLibrary, PatternsComeFromTheResourceLibraryBesideTheClient)
{
    registerCopyWithResources();
    std::string name;
    EXPECT_EQ(identify(&name), S_OK);
    EXPECT_EQ(name, "OC30 3.00");
}

} // namespace
} // namespace lumin::test
