// The control's own stream reader and the audio parameter fetch against the simulator: the
// options, a refused stream, a stalled read that ends within its bound, and the 2000-byte cap.

#include "control/CamHTTPStreamClient.h"

#include "control/AudioParameterFetch.h"
#include "testsupport/CamSimFixture.h"
#include "testsupport/WaitUntil.h"

#include <chrono>
#include <vector>

namespace pictra {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class CamHTTPStreamClientTest : public CamSimFixture {};

TEST_F(CamHTTPStreamClientTest, OptionsTakeOnlyPositiveIntegersOfTheirTwoNames)
{
    CamHTTPStreamClient client;
    Variant value;
    ASSERT_EQ(client.GetOption("data_timeout", value.get()), S_OK);
    EXPECT_EQ(value.get()->lVal, 3000);
    ASSERT_EQ(client.GetOption("net_timeout", value.get()), S_OK);
    EXPECT_EQ(value.get()->lVal, 15000);
    EXPECT_EQ(client.GetOption("timeout", value.get()), E_INVALIDARG);

    Variant zero = Variant::fromI4(0);
    EXPECT_EQ(client.SetOption("data_timeout", zero.get()), E_INVALIDARG);
    Variant negative = Variant::fromI4(-5);
    EXPECT_EQ(client.SetOption("net_timeout", negative.get()), E_INVALIDARG);
    Variant words = Variant::fromUtf8("soon");
    EXPECT_EQ(client.SetOption("data_timeout", words.get()), E_INVALIDARG);
    ASSERT_EQ(client.GetOption("data_timeout", value.get()), S_OK);
    EXPECT_EQ(value.get()->lVal, 3000) << "a refused value must leave the old one";

    Variant text = Variant::fromUtf8("1500");
    EXPECT_EQ(client.SetOption("data_timeout", text.get()), S_OK);
    ASSERT_EQ(client.GetOption("data_timeout", value.get()), S_OK);
    EXPECT_EQ(value.get()->lVal, 1500);
    EXPECT_EQ(client.SetOption("other", text.get()), E_INVALIDARG);
}

TEST_F(CamHTTPStreamClientTest, ReportsTheStatusOfARefusedStreamAndReadsNothing)
{
    camsim::CamSimConfig config;
    config.faults.forceStatus = 503;
    camsim::CamSim* camera = startCamera(config);
    ASSERT_TRUE(camera);
    CamHTTPStreamClient client;
    DWORD status = 0;
    ASSERT_EQ(client.Open(camera->url(camera->videoPath()), &status), S_OK);
    EXPECT_EQ(status, 503u);
    char text[64];
    DWORD length = sizeof text;
    ASSERT_EQ(client.QueryInfo(HTTP_QUERY_STATUS_CODE, &length, text), S_OK);
    EXPECT_STREQ(text, "503");
    EXPECT_EQ(client.Close(), S_OK);
    DWORD count = 0;
    EXPECT_EQ(client.Read(sizeof text, text, &count), E_HANDLE);
    EXPECT_EQ(client.Open("ftp://127.0.0.1/", &status), E_FAIL);
    EXPECT_EQ(client.Open("http://127.0.0.1/", nullptr), E_POINTER);
}

TEST_F(CamHTTPStreamClientTest, AReadThatBlocksLongerThanTheDataTimeoutClosesTheRequest)
{
    camsim::CamSimConfig config;
    config.fps = 25;
    config.faults.stopAfterParts = 3; // then silence on an open connection
    camsim::CamSim* camera = startCamera(config);
    ASSERT_TRUE(camera);
    CamHTTPStreamClient client;
    DWORD status = 0;
    ASSERT_EQ(client.Open(camera->url(camera->videoPath()), &status), S_OK);
    ASSERT_EQ(status, 200u);

    std::vector<char> buffer(240);
    DWORD count = 0;
    std::size_t total = 0;
    HRESULT hr = S_OK;
    Clock::time_point lastData = Clock::now();
    while ((hr = client.Read(240, buffer.data(), &count)) == S_OK) {
        total += count;
        lastData = Clock::now();
        ASSERT_LT(total, 10u * 1024 * 1024) << "the stream never stalled";
    }
    const auto stalled = Clock::now() - lastData;
    EXPECT_EQ(hr, E_FAIL);
    EXPECT_GT(total, 0u);
    EXPECT_GE(stalled, 2500ms);
    EXPECT_LT(stalled, 10s);
    EXPECT_EQ(client.Read(240, buffer.data(), &count), E_HANDLE) << "the request must be gone";
}

TEST_F(CamHTTPStreamClientTest, AParameterListIsReadOnlyUpToItsFirst2000Bytes)
{
    camsim::CamSimConfig config;
    // About 2500 bytes in the group: the speaker line before byte 2000, the duplex line after.
    config.paramList.values.emplace_back("root.Audiod.speakerMode", "muted");
    for (int i = 0; i < 24; ++i)
        config.paramList.values.emplace_back("root.Audiod.padding" + std::to_string(100 + i),
                                             std::string(75, 'p'));
    config.paramList.values.emplace_back("root.Audiod.duplexMode", "half");
    camsim::CamSim* camera = startCamera(config);
    ASSERT_TRUE(camera);
    const std::string url = camera->url("/orvel-cgi/view/param.cgi?action=list&group=root.Audiod");

    AudioParameters p;
    ASSERT_TRUE(fetchAudioParameters(url, p));
    EXPECT_TRUE(p.speakerMuted);
    EXPECT_EQ(p.duplexMode, DuplexMode::Full) << "a line past byte 2000 must not count";

    EXPECT_FALSE(fetchAudioParameters(camera->url("/no/such/list"), p));
    EXPECT_FALSE(fetchAudioParameters("http://127.0.0.1:1/", p));
}

} // namespace
} // namespace pictra
