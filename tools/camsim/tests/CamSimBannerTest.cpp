// The identification greeting on port 21: every model's banner, the QUIT exchange and the
// greeting options.

#include "testsupport/CamSimFixture.h"
#include "tools/camsim/tests/TestClient.h"

using namespace camsim;
using namespace camsim::test;

namespace {

class BannerTest : public CamSimFixture {
protected:
    CamSim* start(BannerMode mode, const std::string& model = "OS34")
    {
        CamSimConfig c;
        c.model = model;
        c.bannerMode = mode;
        c.bannerDelayMs = 600;
        return startCamera(c);
    }
    static bool hasLine(const std::string& bytes) { return bytes.find("\r\n") != bytes.npos; }
};

class EveryModelBannerTest : public BannerTest,
                             public ::testing::WithParamInterface<const SimModel*> {};

} // namespace

TEST_P(EveryModelBannerTest, GreetsWithModelAndFirmwareThenSaysGoodbyeToQuit)
{
    const SimModel& model = *GetParam();
    CamSim* sim = start(BannerMode::Normal, std::string(model.name));
    ASSERT_TRUE(sim);
    RawClient client(sim->config().address, 21);
    ASSERT_TRUE(client.readUntil(hasLine));
    EXPECT_EQ(client.received(), bannerFor(model, model.defaultFirmware) + "\r\n");
    EXPECT_NE(client.received().find(std::string(model.name)), std::string::npos);
    EXPECT_NE(client.received().find(std::string(model.defaultFirmware)), std::string::npos);
    client.send("QUIT\r\n");
    ASSERT_TRUE(client.readUntilClosed());
    EXPECT_NE(client.received().find("221 "), std::string::npos);
    EXPECT_EQ(sim->bannerCommands(), std::vector<std::string>{"QUIT"});
}

INSTANTIATE_TEST_SUITE_P(Models, EveryModelBannerTest, ::testing::ValuesIn([] {
                             std::vector<const SimModel*> models;
                             for (const SimModel& model : simModels())
                                 models.push_back(&model);
                             return models;
                         }()),
                         [](const auto& info) { return std::string(info.param->name); });

TEST_F(BannerTest, FirmwareAndTextReplaceTheGreeting)
{
    CamSimConfig c;
    c.model = "OC43";
    c.firmware = "3.00";
    CamSim* sim = startCamera(c);
    ASSERT_TRUE(sim);
    EXPECT_EQ(sim->banner(), "220 ORVEL OC43 Network Camera 3.00b ready.");
    c.bannerText = "220 somebody else's server";
    CamSim* custom = startCamera(c);
    ASSERT_TRUE(custom);
    RawClient client(custom->config().address, 21);
    ASSERT_TRUE(client.readUntil(hasLine));
    EXPECT_EQ(client.received(), "220 somebody else's server\r\n");
}

TEST_F(BannerTest, OtherCommandsAreRefusedUntilQuit)
{
    CamSim* sim = start(BannerMode::Normal);
    ASSERT_TRUE(sim);
    RawClient client(sim->config().address, 21);
    ASSERT_TRUE(client.readUntil(hasLine));
    client.send("USER anonymous\r\nquit\r\n");
    ASSERT_TRUE(client.readUntilClosed());
    EXPECT_NE(client.received().find("500 "), std::string::npos);
    EXPECT_NE(client.received().find("221 "), std::string::npos);
    EXPECT_EQ(sim->bannerCommands(), (std::vector<std::string>{"USER anonymous", "quit"}));
}

TEST_F(BannerTest, NoGreetingStillReadsQuit)
{
    CamSim* sim = start(BannerMode::None);
    ASSERT_TRUE(sim);
    RawClient client(sim->config().address, 21);
    ASSERT_TRUE(client.connected());
    EXPECT_TRUE(client.staysQuiet(400ms));
    client.send("QUIT\r\n");
    ASSERT_TRUE(client.readUntilClosed());
    EXPECT_EQ(client.received(), "221 Goodbye.\r\n");
}

TEST_F(BannerTest, SlowGreetingComesAfterTheDelay)
{
    CamSim* sim = start(BannerMode::Slow);
    ASSERT_TRUE(sim);
    auto begin = std::chrono::steady_clock::now();
    RawClient client(sim->config().address, 21);
    EXPECT_TRUE(client.staysQuiet(300ms));
    ASSERT_TRUE(client.readUntil(hasLine));
    EXPECT_GE(std::chrono::steady_clock::now() - begin, 550ms);
    EXPECT_EQ(client.received(), sim->banner() + "\r\n");
}

TEST_F(BannerTest, UnknownWordsNameNoModel)
{
    CamSim* sim = start(BannerMode::UnknownWords);
    ASSERT_TRUE(sim);
    RawClient client(sim->config().address, 21);
    ASSERT_TRUE(client.readUntil(hasLine));
    EXPECT_EQ(client.received().rfind("220 ", 0), 0u);
    EXPECT_EQ(client.received().find("ORVEL"), std::string::npos);
    EXPECT_EQ(client.received().find("OS34"), std::string::npos);
}

TEST_F(BannerTest, ClosedMeansNothingListens)
{
    CamSim* sim = start(BannerMode::Closed);
    ASSERT_TRUE(sim);
    RawClient client(sim->config().address, 21);
    EXPECT_FALSE(client.connected());
    EXPECT_EQ(fetch(sim->config().address, 80, sim->imagePath()).status, 200);
}
