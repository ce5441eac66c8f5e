// The 10-second watchdog against the simulator: a camera that is not there, a stream that
// stalls after its first images, and the page's stop event silencing it. These take real
// watchdog periods, so the margins are wide.

#include "control/tests/ControlHost.h"
#include "testsupport/CamSimFixture.h"

namespace pictra::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class CamImageWatchdogTest : public ControlHostFixture {
protected:
    void TearDown() override
    {
        ControlHostFixture::TearDown();
        m_camera.reset();
    }
    std::unique_ptr<camsim::CamSim> m_camera;

    // Seconds from hosting to the nth event of that name (1-based); negative when none.
    double secondsTo(const std::string& name, int nth) const
    {
        int seen = 0;
        for (const auto& [event, at] : events())
            if (event == name && ++seen == nth)
                return std::chrono::duration<double>(at - hostedAt()).count();
        return -1;
    }
};

TEST_F(CamImageWatchdogTest, NoCameraFailsAtTenSecondsAndEveryTenAfter)
{
    // An address where a camera was and no longer is: connections are refused.
    std::string error;
    m_camera = startCameraOnFreeAddress({}, &error);
    ASSERT_TRUE(m_camera) << error;
    const std::string url = m_camera->url(m_camera->videoPath(1, "320x240"));
    m_camera->stop();
    host(Options("").param("URL", url));
    ASSERT_TRUE(waitFor([&] { return count("OnConnectionFailed") >= 2; }, 25s));
    EXPECT_NEAR(secondsTo("OnConnectionFailed", 1), 10.0, 1.5);
    EXPECT_NEAR(secondsTo("OnConnectionFailed", 2), 20.0, 2.0);
    EXPECT_EQ(count("OnConnectionBroken"), 0);
    EXPECT_EQ(count("OnNewImage"), 0);
}

TEST_F(CamImageWatchdogTest, AStallAfterImagesIsReportedOnceAndTheStreamReopened)
{
    camsim::CamSimConfig config;
    config.faults.stopAfterParts = 5; // then silence on an open connection
    std::string error;
    m_camera = startCameraOnFreeAddress(config, &error);
    ASSERT_TRUE(m_camera) << error;
    host(Options(m_camera->url("/")).param("URL", m_camera->videoPath(1, "320x240")));
    ASSERT_TRUE(waitFor([&] { return count("OnNewImage") >= 1; }, 5s));
    ASSERT_TRUE(waitFor([&] { return count("OnConnectionBroken") >= 1; }, 25s));
    // The first look sees images (running), the second a silent period.
    EXPECT_NEAR(secondsTo("OnConnectionBroken", 1), 20.0, 2.0);
    const int before = count("OnNewImage");
    ASSERT_TRUE(m_camera->waitForRequests(2, 5s));
    ASSERT_TRUE(waitFor([&] { return count("OnNewImage") > before; }, 5s));
    EXPECT_EQ(count("OnConnectionBroken"), 1);
    EXPECT_EQ(count("OnConnectionFailed"), 0);
}

TEST_F(CamImageWatchdogTest, ThePagesStopSilencesTheWatchdog)
{
    std::string error;
    m_camera = startCameraOnFreeAddress({}, &error);
    ASSERT_TRUE(m_camera) << error;
    host(Options(m_camera->url("/")).param("URL", m_camera->videoPath(1, "320x240")));
    ASSERT_TRUE(waitFor([&] { return count("OnNewImage") >= 1; }, 5s));
    document()->fireStop();
    // Past two watchdog periods: a running watchdog would have reported the silence.
    pumpFor(std::chrono::duration_cast<std::chrono::milliseconds>(hostedAt() + 21s - Clock::now()));
    EXPECT_EQ(count("OnConnectionBroken"), 0);
    EXPECT_EQ(count("OnConnectionFailed"), 0);
    EXPECT_EQ(m_camera->requests().size(), 1u);
}

} // namespace
} // namespace pictra::test
