// The camera switching in the browser with simulated cameras: one member reopened at every
// tick, wrap-around with the URLs found in the first pass, a starting camera not cut short,
// and the view state it keeps.
#include "namespace/tests/ContentViewFixture.h"
#include "namespace/views/SwitchCamWidget.h"
#include "platform/shell/CommandEvent.h"
#include "testsupport/WaitUntil.h"

#include <QApplication>
#include <algorithm>

using namespace foldra;
using namespace std::chrono_literals;

namespace {

void spin()
{
    QApplication::processEvents(QEventLoop::AllEvents, 5);
}

std::size_t streamRequests(const camsim::CamSim& cam)
{
    const auto requests = cam.requests();
    return static_cast<std::size_t>(
        std::count_if(requests.begin(), requests.end(), [](const camsim::LoggedRequest& r) {
            return r.request.path.find("video") != std::string::npos;
        }));
}

} // namespace

class SwitchCamViewTest : public ContentViewFixture {
protected:
    void openSwitch(const std::vector<std::string>& members, std::uint32_t displayTimeMs)
    {
        addGroupItem("Round", ItemKind::SwitchCam, members, displayTimeMs);
        ASSERT_TRUE(openItem("Round"));
        m_switch = viewWidget<SwitchCamWidget>();
        ASSERT_TRUE(m_switch) << "the switching's window";
    }

    SwitchCamWidget* m_switch = nullptr;
};

TEST_F(SwitchCamViewTest, OneMemberIsOpenedAgainAtEveryTick)
{
    camsim::CamSim* cam = startCamera();
    ASSERT_TRUE(cam);
    addCameraItem("Only", *cam);
    openSwitch({"Only"}, kMinDisplayTimeMs);
    ASSERT_TRUE(waitUntil([&] { return m_switch->ticks() >= 3; }, 20s, spin));
    EXPECT_EQ(m_switch->currentMember(), 0u);
    EXPECT_FALSE(m_switch->firstPass()) << "wrapping to the first member ends the first pass";
    EXPECT_FALSE(m_switch->cachedUrl(0).empty());
    EXPECT_TRUE(waitUntil([&] { return streamRequests(*cam) >= 3; }, 10s, spin))
        << streamRequests(*cam);
    EXPECT_TRUE(waitUntil([&] { return cam->activeStreams() <= 1; }, 5s))
        << "the old streams are closed";
}

TEST_F(SwitchCamViewTest, WrapsAroundShowingEachMembersNameAndKeepsItsViewState)
{
    camsim::CamSim* first = startCamera();
    camsim::CamSim* second = startCamera();
    ASSERT_TRUE(first && second);
    addCameraItem("Porch", *first);
    addCameraItem("Yard", *second, "640x480", false); // identified by its greeting
    openSwitch({"Porch", "Yard", "Missing"}, 1000);
    ASSERT_TRUE(waitUntil([&] { return m_switch->framesPainted() >= 2; }, 10s, spin));
    EXPECT_EQ(m_switch->shownName().toStdString(), "Porch");
    // A slow machine may show a member for too short a time to paint twice: then on the next
    // round.
    ASSERT_TRUE(
        waitUntil([&] { return m_switch->currentMember() == 1 && m_switch->framesPainted() >= 2; },
                  15s, spin));
    EXPECT_EQ(m_switch->shownName().toStdString(), "Yard");
    screenshot("quadswitch-switch");
    // The member that cannot be read shows nothing for its time, then the first comes back.
    ASSERT_TRUE(waitUntil([&] { return m_switch->currentMember() == 2; }, 10s, spin));
    EXPECT_FALSE(m_switch->streaming());
    ASSERT_TRUE(waitUntil([&] { return m_switch->currentMember() == 0; }, 10s, spin));
    EXPECT_FALSE(m_switch->firstPass());
    EXPECT_FALSE(m_switch->cachedUrl(1).empty());
    EXPECT_TRUE(m_switch->cachedUrl(2).empty());

    // Names off and the aspect-kept mode, saved and read back by a new view of the folder.
    ASSERT_TRUE(sendCommand(m_window->viewWindow(), IDM_DISPLAY_NAMES));
    ASSERT_TRUE(sendCommand(m_window->viewWindow(), IDM_RETAIN_IMAGE_SIZE));
    EXPECT_EQ(m_window->currentView()->SaveViewState(), S_OK);
    m_window->goUp();
    ASSERT_TRUE(openItem("Round"));
    m_switch = viewWidget<SwitchCamWidget>();
    ASSERT_TRUE(m_switch);
    EXPECT_FALSE(m_switch->namesShown());
    EXPECT_FALSE(m_switch->retainSize());
    EXPECT_FALSE(m_switch->sizeToFit());
}

TEST_F(SwitchCamViewTest, ACameraThatConnectedButShowsNothingIsNotCutShort)
{
    camsim::CamSim* live = startCamera();
    camsim::CamSimConfig silent;
    silent.faults.slowHeaderDelayMs = 3000; // connected, then seconds before its first part
    camsim::CamSim* starting = startCamera("OC30", silent);
    ASSERT_TRUE(live && starting);
    addCameraItem("Live", *live);
    addCameraItem("Starting", *starting);
    openSwitch({"Live", "Starting"}, kMinDisplayTimeMs);
    ASSERT_TRUE(waitUntil([&] { return m_switch->currentMember() == 1; }, 10s, spin));
    ASSERT_TRUE(starting->waitForActiveStreams(1, 5000ms));
    const std::uint64_t ticks = m_switch->ticks();
    ASSERT_TRUE(waitUntil([&] { return m_switch->ticks() >= ticks + 3; }, 10s, spin));
    EXPECT_EQ(m_switch->currentMember(), 1u)
        << "held back while it has shown nothing; status: " << m_switch->shownStatus();
    EXPECT_TRUE(m_switch->streaming());
}
