// Reading and setting parameters through fresh clients, set up from a property source.

#include "namespace/params/ParamHandler.h"

#include "namespace/params/tests/TestCameras.h"
#include "namespace/params/tests/TraceCapture.h"
#include "testsupport/CamSimFixture.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <map>

using namespace foldra;
using namespace std::chrono_literals;

namespace {

constexpr const char* kListAll = "/orvel-cgi/view/param.cgi?action=list&group=";

// A property bag: the values it holds, a failure for every other name.
class BagSource : public PropertySource {
public:
    std::map<std::string, Variant, std::less<>> values;
    HRESULT GetProperty(std::string_view name, VARIANT* value) override
    {
        auto found = values.find(name);
        if (found == values.end())
            return E_INVALIDARG;
        return VariantCopy(value, found->second.get());
    }
};

class ParamHandlerTest : public CamSimFixture {
protected:
    TraceCapture m_trace;
};

} // namespace

TEST_F(ParamHandlerTest, ReadAllGivesTheWholeBodyAndGetParamsItsLinesInOrder)
{
    camsim::CamSim* cam = startCamera();
    ASSERT_TRUE(cam);
    ParamHandler handler;
    std::string body;
    ASSERT_EQ(handler.ReadAll(cam->url(kListAll), body), S_OK);
    EXPECT_GT(body.size(), 300u); // several pieces of 100 bytes
    EXPECT_EQ(body.rfind("root.Brand.Brand=ORVEL\r\nroot.Brand.ProdShortName=OS34\r\n", 0), 0u);
    EXPECT_EQ(body.substr(body.size() - 29), "root.Properties.PTZ.PTZ=yes\r\n");

    std::vector<Param> params;
    ASSERT_EQ(handler.GetParams(cam->url(kListAll), params), S_OK);
    ASSERT_EQ(params.size(), 8u);
    EXPECT_EQ(params[0].name, "root.Brand.Brand");
    EXPECT_EQ(params[4].name, "root.Properties.Image.Resolution");
    EXPECT_EQ(params[4].value, "176x144,352x288,704x576,176x112,352x240,704x480");
    EXPECT_EQ(params[7].name, "root.Properties.PTZ.PTZ");
}

TEST_F(ParamHandlerTest, GetParamsRefusesAReplyOf8192BytesOrMore)
{
    // The camera's own list, then one line that brings the reply to 8191 or 8192 bytes.
    camsim::CamSim* plain = startCamera();
    ASSERT_TRUE(plain);
    ParamHandler handler;
    std::string body;
    ASSERT_EQ(handler.ReadAll(plain->url(kListAll), body), S_OK);
    const std::string padName = "root.Test.Padding";
    const std::size_t lineOverhead = padName.size() + 1 + 2; // "=" and CR LF

    for (std::size_t total : {std::size_t{8191}, std::size_t{8192}, std::size_t{20000}}) {
        camsim::CamSimConfig config;
        config.paramList.values = {{padName, std::string(total - body.size() - lineOverhead, 'p')}};
        camsim::CamSim* cam = startCamera(config);
        ASSERT_TRUE(cam);
        std::vector<Param> params{{"stale", "x"}};
        const HRESULT hr = handler.GetParams(cam->url(kListAll), params);
        if (total < kMaxParamListBytes) {
            EXPECT_EQ(hr, S_OK) << total;
            ASSERT_EQ(params.size(), 9u);
            EXPECT_EQ(params[8].value.size(), total - body.size() - lineOverhead);
        } else {
            EXPECT_EQ(hr, E_FAIL) << total;
            EXPECT_TRUE(params.empty());
        }
    }
    const std::vector<std::string> lines = m_trace.lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "error GetParams - too much param info"), 2);
}

TEST_F(ParamHandlerTest, EachClientTakesTheSourcesTimeoutsAndCredentials)
{
    camsim::CamSim* cam = startCamera(passwordCamera(camsim::AuthMode::Basic, "viewer", "secret"));
    ASSERT_TRUE(cam);

    BagSource source;
    source.values["net_timeout"] = Variant::fromUtf8("5000");
    source.values["data_timeout"] = Variant::fromI4(0); // refused: the default stays
    source.values["stream_uname"] = Variant::fromUtf8("viewer");
    source.values["stream_pwd"] = Variant::fromUtf8("secret");
    ParamHandler handler(&source);
    std::vector<Param> params;
    EXPECT_EQ(handler.GetParams(cam->url(kListAll), params), S_OK); // no prompt is set
    EXPECT_EQ(params.size(), 8u);
    EXPECT_TRUE(m_trace.has("error parsing timeout - timeout <= 0"));
    EXPECT_TRUE(m_trace.has("warning parhand init http - fail set timeout"));
    EXPECT_FALSE(m_trace.has("warning parhand init http - fail get username"));

    // Without the password the 401 stands: there is no one to ask here.
    source.values.erase("stream_pwd");
    EXPECT_EQ(handler.GetParams(cam->url(kListAll), params), E_ACCESSDENIED);
    EXPECT_TRUE(params.empty());
    EXPECT_TRUE(m_trace.has("warning parhand init http - fail get passw"));
    EXPECT_TRUE(m_trace.has("error GetParams - failed, hr=0x80070005"));
}

TEST_F(ParamHandlerTest, ASilentCameraFailsWithinTheSourcesNetTimeout)
{
    camsim::CamSim* cam =
        startCamera(withFaults([&](camsim::Faults& f) { f.stallAfterBytes = 0; }));
    ASSERT_TRUE(cam);
    BagSource source;
    source.values["net_timeout"] = Variant::fromI4(600);
    ParamHandler handler(&source);
    std::string body = "stale";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(handler.ReadAll(cam->url(kListAll), body), HRESULT_FROM_WIN32(12002));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 600ms + 4s);
    EXPECT_EQ(body, "");
}

TEST_F(ParamHandlerTest, SetParamsReturnsTheCamerasAnswerOrItsErrorPageTitle)
{
    camsim::CamSim* cam = startCamera();
    ASSERT_TRUE(cam);
    ParamHandler handler;
    std::string message;
    ASSERT_EQ(handler.SetParams(
                  cam->url("/orvel-cgi/view/param.cgi?action=list&group=root.Brand.ProdShortName"),
                  message),
              S_OK);
    EXPECT_EQ(message, "root.Brand.ProdShortName=OS34\r\n");
    EXPECT_TRUE(m_trace.has("warning SetParams - Error: root.Brand.ProdShortName=OS34  "));

    camsim::CamSim* busy = startCamera(withFaults([&](camsim::Faults& f) { f.forceStatus = 503; }));
    ASSERT_TRUE(busy);
    EXPECT_EQ(handler.SetParams(busy->url("/orvel-cgi/admin/param.cgi?action=update"), message),
              E_FAIL);
    EXPECT_EQ(message, "503 Service Unavailable");
}

TEST_F(ParamHandlerTest, AReplyCutShortOrTooLongIsAFailureNeverAHalfAnswer)
{
    // The head is some 110 bytes and the whole list over 300 more: 250 cuts into the list.
    camsim::CamSim* cut =
        startCamera(withFaults([&](camsim::Faults& f) { f.closeAfterBytes = 250; }));
    ASSERT_TRUE(cut);
    ParamHandler handler;
    std::vector<Param> params;
    EXPECT_TRUE(FAILED(handler.GetParams(cut->url(kListAll), params)));
    EXPECT_TRUE(params.empty());
    std::string body;
    EXPECT_TRUE(FAILED(handler.ReadAll(cut->url(kListAll), body)));
    EXPECT_EQ(body, "");
    std::string message;
    EXPECT_TRUE(FAILED(handler.SetParams(cut->url(kListAll), message)));
    EXPECT_EQ(message, "");
    const std::vector<std::string> lines = m_trace.lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("error GetParams - failed to get data, hr=0x80072", 0) == 0;
    }));

    camsim::CamSim* huge =
        startCamera(withFaults([&](camsim::Faults& f) { f.extraBodyBytes = kMaxReadAllBytes; }));
    ASSERT_TRUE(huge);
    EXPECT_EQ(handler.ReadAll(huge->url(kListAll), body), E_FAIL);
    EXPECT_EQ(body, "");
    EXPECT_TRUE(m_trace.has("error GetParams - reply longer than 1048576 bytes"));
}
