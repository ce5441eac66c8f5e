#include "client/tests/IdentifySupport.h"

#include <chrono>
#include <unistd.h>

namespace lumin::test {
namespace {

using namespace std::chrono_literals;

struct Identified {
    HRESULT hr = E_UNEXPECTED;
    ComPtr<ICamTarget> target;
    std::string name = "untouched";
    std::string version = "untouched";
};

class IdentifyTarget : public IdentifyFixture {
protected:
    Identified identify(const std::string& host, UI4 timeout = 5000)
    {
        Identified result;
        BSTR name = bstrFromUtf8("untouched");
        BSTR version = bstrFromUtf8("untouched");
        ICamTarget* target = nullptr;
        result.hr =
            m_identify->IdentifyTarget(Arg(host.c_str()), &target, &name, &version, timeout);
        result.target = ComPtr<ICamTarget>::attach(target);
        result.name = bstrToUtf8(name);
        result.version = bstrToUtf8(version);
        SysFreeString(name);
        SysFreeString(version);
        return result;
    }

    void expectIdentifiedAs(const Identified& found, const std::string& name, TargetClass expected)
    {
        ASSERT_EQ(found.hr, S_OK);
        ASSERT_TRUE(found.target);
        EXPECT_EQ(found.name, name);
        EXPECT_EQ(targetAnswers(found.target.get()), answersOfClass(expected, name))
            << "not a " << targetClassName(expected);
    }

    camsim::CamSim* cameraWithBanner(const std::string& banner)
    {
        camsim::CamSimConfig config;
        config.bannerText = banner;
        return startCamera(config);
    }
};

class EveryShippedModel : public IdentifyTarget, public testing::WithParamInterface<ModelRow> {};

TEST_P(EveryShippedModel, IsIdentifiedByItsGreeting)
{
    camsim::CamSimConfig config;
    config.model = GetParam().name;
    camsim::CamSim* camera = startCamera(config);
    ASSERT_TRUE(camera);

    const Identified found = identify(camera->host());
    expectIdentifiedAs(found, GetParam().name, expectedTarget(found.name, found.version));
    EXPECT_NE(camera->banner().find(found.version), std::string::npos) << found.version;
    // The camera was told goodbye.
    ASSERT_TRUE(camera->waitForBannerCommands(1, 5s));
    EXPECT_EQ(camera->bannerCommands().front(), "QUIT");
    EXPECT_NE(logText().find("IdentifyTarget (" + camera->host() + ")"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Models, EveryShippedModel,
                         testing::ValuesIn(modelRows().begin(), modelRows().end()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(IdentifyTarget, UnlistedFirmwareGetsTheModelsDefaultTarget)
{
    // A model whose own default is not the table's, so the two fallbacks are told apart.
    const ModelRow* model = nullptr;
    for (const ModelRow& row : modelRows()) {
        if (row.defaultTarget != kDefaultTarget)
            model = &row;
    }
    ASSERT_TRUE(model);
    camsim::CamSim* camera =
        cameraWithBanner(std::string("220 ORVEL ") + model->name + " version 9.99 ready");
    ASSERT_TRUE(camera);
    const Identified found = identify(camera->host());
    EXPECT_EQ(found.version, "9.99");
    expectIdentifiedAs(found, model->name, model->defaultTarget);
}

TEST_F(IdentifyTarget, UnknownModelGetsTheDefaultTarget)
{
    camsim::CamSim* camera = cameraWithBanner("220 ORVEL ZX81 Network Camera 1.00 ready");
    ASSERT_TRUE(camera);
    const Identified found = identify(camera->host());
    EXPECT_EQ(found.version, "1.00");
    expectIdentifiedAs(found, "ZX81", TargetClass::CamTarget210);
}

TEST_F(IdentifyTarget, PortGivenWithTheHostIsIgnored)
{
    camsim::CamSim* camera = startCamera({});
    ASSERT_TRUE(camera);
    const std::string address = camera->config().address;
    const Identified found = identify(address + ":8080");
    EXPECT_EQ(found.hr, S_OK);
    EXPECT_EQ(found.name, camera->model().name);
}

TEST_F(IdentifyTarget, HostNameIsResolved)
{
    camsim::CamSimConfig config;
    config.address = "127.0.0.1";
    config.httpPort = static_cast<std::uint16_t>(20000 + ::getpid() % 20000);
    camsim::StartError error;
    auto camera = camsim::CamSim::start(config, &error);
    if (!camera)
        GTEST_SKIP() << "port 21 of 127.0.0.1 is taken: " << error.message;
    const Identified found = identify("localhost:8080");
    EXPECT_EQ(found.hr, S_OK);
    EXPECT_EQ(found.name, camera->model().name);
}

TEST_F(IdentifyTarget, NoListenerAnswersNothingRecognisable)
{
    camsim::CamSimConfig config;
    config.bannerMode = camsim::BannerMode::Closed;
    camsim::CamSim* camera = startCamera(config);
    ASSERT_TRUE(camera);
    const Identified found = identify(camera->host());
    EXPECT_EQ(found.hr, S_FALSE);
    EXPECT_FALSE(found.target);
    EXPECT_EQ(found.name, "untouched");
    EXPECT_EQ(found.version, "untouched");
    const std::string log = logText();
    const auto connect = log.find("ThreadFuncIdentify: connect failed");
    const auto match = log.find("GetNameAndVersion failed");
    const auto lookup = log.find("GetTargetCLSID failed");
    ASSERT_NE(connect, std::string::npos) << log;
    ASSERT_NE(match, std::string::npos) << log;
    ASSERT_NE(lookup, std::string::npos) << log;
    EXPECT_LT(connect, match);
    EXPECT_LT(match, lookup);
}

TEST_F(IdentifyTarget, SilentCameraTimesOut)
{
    camsim::CamSimConfig config;
    config.bannerMode = camsim::BannerMode::None;
    camsim::CamSim* camera = startCamera(config);
    ASSERT_TRUE(camera);
    const auto start = std::chrono::steady_clock::now();
    const Identified found = identify(camera->host(), 500);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(found.hr, E_FAIL);
    EXPECT_FALSE(found.target);
    EXPECT_GE(elapsed, 450ms);
    EXPECT_LT(elapsed, 2500ms);
    EXPECT_NE(logText().find("IdentifyTarget timed out"), std::string::npos);
}

// A greeting in two TCP segments, cut inside the version: the whole line is read, so 1.10 is
// not taken for 1.1.
TEST_F(IdentifyTarget, GreetingInTwoSegmentsIsReadToTheEndOfItsLine)
{
    camsim::CamSimConfig config;
    config.model = "OS10";
    config.firmware = "1.10";
    config.bannerSplitAt = std::string("220 ORVEL OS10 Video Server 1.1").size();
    config.faults.splitPauseMs = 300;
    camsim::CamSim* camera = startCamera(config);
    ASSERT_TRUE(camera);
    ASSERT_EQ(camera->banner().substr(0, config.bannerSplitAt + 1),
              "220 ORVEL OS10 Video Server 1.10");
    const Identified found = identify(camera->host());
    ASSERT_EQ(found.hr, S_OK);
    EXPECT_EQ(found.name, "OS10");
    EXPECT_EQ(found.version, "1.10");
}

// A greeting whose line has not ended when the time-out runs out is not guessed at.
TEST_F(IdentifyTarget, GreetingUnfinishedAtTheTimeOutIsATimeOut)
{
    camsim::CamSimConfig config;
    config.model = "OS10";
    config.bannerSplitAt = 10;
    config.faults.splitPauseMs = 3000;
    camsim::CamSim* camera = startCamera(config);
    ASSERT_TRUE(camera);
    const Identified found = identify(camera->host(), 500);
    EXPECT_EQ(found.hr, E_FAIL);
    EXPECT_FALSE(found.target);
    EXPECT_NE(logText().find("IdentifyTarget timed out"), std::string::npos);
}

TEST_F(IdentifyTarget, GreetingsNoPatternKnowsAreNotIdentified)
{
    for (const char* banner : {"220 ready", "220 ORVEL"}) {
        camsim::CamSim* camera = cameraWithBanner(banner);
        ASSERT_TRUE(camera);
        const Identified found = identify(camera->host());
        EXPECT_EQ(found.hr, S_FALSE) << banner;
        EXPECT_FALSE(found.target);
        EXPECT_EQ(found.name, "untouched");
    }
    camsim::CamSimConfig config;
    config.bannerMode = camsim::BannerMode::UnknownWords;
    camsim::CamSim* camera = startCamera(config);
    ASSERT_TRUE(camera);
    EXPECT_EQ(identify(camera->host()).hr, S_FALSE);
    EXPECT_NE(logText().find("GetNameAndVersion failed"), std::string::npos);
}

TEST_F(IdentifyTarget, BadArguments)
{
    ICamTarget* target = reinterpret_cast<ICamTarget*>(0x1); // must be cleared at entry
    EXPECT_EQ(m_identify->IdentifyTarget(nullptr, &target, nullptr, nullptr, 100), E_INVALIDARG);
    EXPECT_EQ(target, nullptr);
    EXPECT_EQ(m_identify->IdentifyTarget(Arg("127.0.0.1"), nullptr, nullptr, nullptr, 100),
              E_INVALIDARG);
    target = reinterpret_cast<ICamTarget*>(0x1);
    EXPECT_EQ(m_identify->IdentifyTarget(Arg(""), &target, nullptr, nullptr, 100), E_FAIL);
    EXPECT_EQ(target, nullptr);
    EXPECT_NE(logText().find("Empty host"), std::string::npos);
}

} // namespace
} // namespace lumin::test
