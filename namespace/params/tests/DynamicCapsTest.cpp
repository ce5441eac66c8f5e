// Capabilities and identity asked from simulated cameras, and the cache that keeps them.

#include "namespace/params/DynamicCaps.h"

#include "common/ICamTarget.h"
#include "namespace/params/tests/TestCameras.h"
#include "namespace/params/tests/TraceCapture.h"
#include "namespace/store/ItemRecord.h"
#include "platform/com/TaskMemory.h"
#include "platform/http/Prompts.h"
#include "testsupport/CamSimFixture.h"

#include <gtest/gtest.h>

using namespace foldra;
using Strings = std::vector<std::string>;

namespace {

// A capability list as GetCaps hands it out, freed the way its contract says.
struct CapsList {
    HRESULT hr = E_UNEXPECTED;
    Strings entries;
    INT defaultIndex = -1;
};

CapsList capsOf(DynamicCaps& caps, const std::string& host, INT flag)
{
    CapsList list;
    INT size = -1;
    BSTR sentinel = nullptr;
    BSTR* block = &sentinel; // GetCaps clears it first
    list.hr = caps.GetCaps(host, flag, &size, &block, &list.defaultIndex);
    if (block == &sentinel) {
        ADD_FAILURE() << "the list pointer was not cleared";
        return list;
    }
    for (INT i = 0; i < size; ++i) {
        list.entries.push_back(bstrToUtf8(block[i]));
        SysFreeString(block[i]);
    }
    if (size == 0) {
        EXPECT_EQ(block, nullptr);
    }
    CoTaskMemFree(block);
    return list;
}

class DynamicCapsTest : public CamSimFixture {
protected:
    void TearDown() override
    {
        orvel::http::setCredentialsPrompt({});
        CamSimFixture::TearDown();
    }
    TraceCapture m_trace;
};

} // namespace

TEST_F(DynamicCapsTest, ACameraWithFourSourcesAndPtzAskedOnce)
{
    camsim::CamSim* cam = startCamera(); // OS34 3.10
    ASSERT_TRUE(cam);
    DynamicCaps caps;
    const CapsList video = capsOf(caps, cam->host(), CamCapsVideoResolutions);
    EXPECT_EQ(video.hr, S_OK);
    EXPECT_EQ(video.entries,
              (Strings{"176x144", "352x288", "704x576", "176x112", "352x240", "704x480"}));
    EXPECT_EQ(video.defaultIndex, 0);
    const CapsList cameras = capsOf(caps, cam->host(), CamCapsCameras);
    EXPECT_EQ(cameras.hr, S_OK);
    EXPECT_EQ(cameras.entries, (Strings{"1", "2", "3", "4"}));
    EXPECT_EQ(caps.GetCaps(cam->host(), CamCapsPtz, nullptr, nullptr, nullptr), S_OK);
    std::string product, firmware;
    EXPECT_EQ(caps.GetIdentity(cam->host(), product, firmware), S_OK);
    EXPECT_EQ(product, "OS34");
    EXPECT_EQ(firmware, "3.10");

    ASSERT_EQ(cam->requests().size(), 1u);
    EXPECT_EQ(cam->requests()[0].request.target,
              "/orvel-cgi/view/param.cgi?action=list&group=root.Properties.Image.Resolution,"
              "root.ImageSource.NbrOfSources,root.Properties.PTZ.PTZ,root.Brand.ProdShortName,"
              "root.Properties.Firmware.Version");
}

TEST_F(DynamicCapsTest, WithoutPtzOrASourceCountTheCameraIsOne)
{
    camsim::CamSimConfig config;
    config.model = "OC33";
    config.paramList.omitted = {"root.ImageSource.NbrOfSources"};
    camsim::CamSim* cam = startCamera(config);
    ASSERT_TRUE(cam);
    DynamicCaps caps;
    EXPECT_EQ(caps.GetCaps(cam->host(), CamCapsPtz, nullptr, nullptr, nullptr), S_FALSE);
    EXPECT_EQ(capsOf(caps, cam->host(), CamCapsCameras).entries, (Strings{"1"}));
    EXPECT_EQ(capsOf(caps, cam->host(), CamCapsVideoResolutions).entries,
              (Strings{"320x240", "640x480"}));
    // Image resolutions are not among what the list tells: nothing, and no failure.
    const CapsList image = capsOf(caps, cam->host(), CamCapsImageResolutions);
    EXPECT_EQ(image.hr, S_OK);
    EXPECT_TRUE(image.entries.empty());
    INT size = 0;
    INT defaultIndex = 0;
    EXPECT_EQ(caps.GetCaps(cam->host(), CamCapsCameras, &size, nullptr, &defaultIndex),
              E_INVALIDARG);
    EXPECT_EQ(cam->requests().size(), 1u);
}

TEST_F(DynamicCapsTest, AnotherHostIsAskedAfreshTheSameHostInOtherLettersIsNot)
{
    camsim::CamSim* first = startCamera();
    camsim::CamSimConfig config;
    config.model = "OC33";
    camsim::CamSim* second = startCamera(config);
    ASSERT_TRUE(first && second);
    DynamicCaps caps;
    std::string product, firmware;
    ASSERT_EQ(caps.GetIdentity(first->host(), product, firmware), S_OK);
    EXPECT_EQ(product, "OS34");
    ASSERT_EQ(caps.GetIdentity(second->host(), product, firmware), S_OK);
    EXPECT_EQ(product, "OC33");
    // The new host's answer replaced all of the old one's.
    EXPECT_EQ(caps.GetCaps(second->host(), CamCapsPtz, nullptr, nullptr, nullptr), S_FALSE);
    EXPECT_EQ(capsOf(caps, second->host(), CamCapsCameras).entries, (Strings{"1"}));
    EXPECT_EQ(first->requests().size(), 1u);
    EXPECT_EQ(second->requests().size(), 1u);

    // The address written with a hexadecimal first part, in two letter cases: one host.
    const std::string rest = second->host().substr(second->host().find('.'));
    ASSERT_EQ(caps.GetIdentity("0x7f" + rest, product, firmware), S_OK);
    EXPECT_EQ(second->requests().size(), 2u);
    ASSERT_EQ(caps.GetIdentity("0X7F" + rest, product, firmware), S_OK);
    EXPECT_EQ(product, "OC33");
    EXPECT_EQ(second->requests().size(), 2u);
}

TEST_F(DynamicCapsTest, AFailedFetchLeavesNothingAndTheNextQueryAsksAgain)
{
    camsim::CamSim* cam = startCamera();
    ASSERT_TRUE(cam);
    camsim::CamSimConfig config = cam->config();
    const std::string host = cam->host();
    cam->stop(); // nothing listens there now

    DynamicCaps caps;
    std::string product = "stale", firmware = "stale";
    EXPECT_EQ(caps.GetIdentity(host, product, firmware), S_FALSE);
    EXPECT_EQ(product, "");
    EXPECT_EQ(firmware, "");
    EXPECT_TRUE(FAILED(caps.lastFetchResult()));
    EXPECT_EQ(capsOf(caps, host, CamCapsVideoResolutions).hr, E_FAIL);
    EXPECT_EQ(capsOf(caps, host, CamCapsCameras).hr, E_FAIL);
    EXPECT_EQ(caps.GetCaps(host, CamCapsPtz, nullptr, nullptr, nullptr), S_FALSE);

    std::unique_ptr<camsim::CamSim> back = camsim::CamSim::start(config);
    ASSERT_TRUE(back) << "the address was taken meanwhile";
    EXPECT_EQ(caps.GetIdentity(host, product, firmware), S_OK);
    EXPECT_EQ(product, "OS34");
    EXPECT_EQ(caps.lastFetchResult(), S_OK);
    EXPECT_EQ(back->requests().size(), 1u);
}

TEST_F(DynamicCapsTest, A401IsAnsweredByThePromptOrFailsTheFetchWithAccessDenied)
{
    camsim::CamSim* cam = startCamera(passwordCamera(camsim::AuthMode::Digest));
    ASSERT_TRUE(cam);

    std::vector<orvel::http::CredentialsQuestion> asked;
    bool answer = false;
    orvel::http::setCredentialsPrompt(
        [&](const orvel::http::CredentialsQuestion& q) -> std::optional<orvel::http::Credentials> {
            asked.push_back(q);
            if (!answer)
                return std::nullopt;
            return orvel::http::Credentials{"root", "pass"};
        });
    DynamicCaps caps;
    std::string product, firmware;
    EXPECT_EQ(caps.GetIdentity(cam->host(), product, firmware), S_FALSE);
    EXPECT_EQ(caps.lastFetchResult(), E_ACCESSDENIED);
    EXPECT_EQ(capsOf(caps, cam->host(), CamCapsVideoResolutions).hr, E_FAIL);
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked[0].host, cam->config().address);
    EXPECT_EQ(asked[0].realm, "OS34");

    answer = true;
    EXPECT_EQ(caps.GetIdentity(cam->host(), product, firmware), S_OK);
    EXPECT_EQ(product, "OS34");
    EXPECT_EQ(capsOf(caps, cam->host(), CamCapsCameras).entries, (Strings{"1", "2", "3", "4"}));
}

TEST_F(DynamicCapsTest, EveryItemRecordCarriesACacheOfItsOwn)
{
    camsim::CamSim* cam = startCamera();
    ASSERT_TRUE(cam);
    ItemRecord first;
    first.address = cam->host();
    ItemRecord second = ItemRecord{};
    ASSERT_TRUE(first.caps && second.caps);
    EXPECT_NE(first.caps, second.caps);
    EXPECT_EQ(capsOf(*first.caps, first.address, CamCapsCameras).entries,
              (Strings{"1", "2", "3", "4"}));
    const ItemRecord copy = first; // the same item: its answers are not asked for again
    EXPECT_EQ(copy.caps->GetCaps(copy.address, CamCapsPtz, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(cam->requests().size(), 1u);
}

TEST_F(DynamicCapsTest, AReplyCutShortLeavesTheCameraUnasked)
{
    // Inside the list, after its first lines.
    camsim::CamSim* cam =
        startCamera(withFaults([&](camsim::Faults& f) { f.closeAfterBytes = 250; }));
    ASSERT_TRUE(cam);
    DynamicCaps caps;
    std::string product, firmware;
    EXPECT_EQ(caps.GetIdentity(cam->host(), product, firmware), S_FALSE);
    EXPECT_TRUE(FAILED(caps.lastFetchResult()));
    EXPECT_EQ(capsOf(caps, cam->host(), CamCapsVideoResolutions).hr, E_FAIL);
    EXPECT_EQ(cam->requests().size(), 2u); // and each query asked again
}
