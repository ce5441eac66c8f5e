// Runs the camctl program as a script would, against simulated cameras and the registered
// client library in a fresh state root (the child inherits ORVEL_STATE_ROOT).
#include "tools/camctl/tests/CamctlProgram.h"

using namespace camctltest;

namespace {

class CamctlIdentify : public CamctlFixture {};

TEST_F(CamctlIdentify, PrintsModelVersionAndTarget)
{
    camsim::CamSimConfig config;
    config.bannerText = "220 ORVEL OC43 Network Camera 3.10b ready.";
    camsim::CamSim* camera = startCamera(config);
    ASSERT_TRUE(camera);
    const Child::Result run = camctl({"identify", camera->host() + ":8080"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "model=OC43 version=3.10 target=CamTarget210\n");

    // An unknown model gets the default target.
    config.bannerText = "220 ORVEL QX12 version 5.00";
    camera = startCamera(config);
    ASSERT_TRUE(camera);
    EXPECT_EQ(camctl({"identify", camera->host()}).out,
              "model=QX12 version=5.00 target=CamTarget210\n");
}

TEST_F(CamctlIdentify, FailuresHaveTheirOwnExitCodes)
{
    camsim::CamSimConfig config;
    config.bannerMode = camsim::BannerMode::UnknownWords;
    camsim::CamSim* strange = startCamera(config);
    config.bannerMode = camsim::BannerMode::None;
    camsim::CamSim* silent = startCamera(config);
    ASSERT_TRUE(strange && silent);

    Child::Result run = camctl({"identify", strange->host()});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find("no greeting on port 21 that names a known camera"), std::string::npos)
        << run.err;

    run = camctl({"identify", silent->host(), "--timeout", "300"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("did not greet on port 21 within 300 ms"), std::string::npos) << run.err;

    EXPECT_EQ(camctl({"identify"}).exitCode, 2);
    EXPECT_EQ(camctl({"identify", "h", "--timeout", "soon"}).exitCode, 2);
    EXPECT_EQ(camctl({"frobnicate"}).exitCode, 2);
}

} // namespace
