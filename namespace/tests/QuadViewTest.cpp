// The quad view in the browser with simulated cameras: what starts, what is drawn where, and
// what a camera that drops or stalls does to the others.
#include "namespace/tests/ContentViewFixture.h"
#include "namespace/views/QuadViewWidget.h"
#include "platform/shell/CommandEvent.h"
#include "platform/shell/ShellExecute.h"
#include "platform/shell/ShellMenu.h"
#include "testsupport/WaitUntil.h"

#include <QApplication>
#include <QMenuBar>
#include <QTest>

using namespace foldra;
using namespace std::chrono_literals;

namespace {

void spin()
{
    QApplication::processEvents(QEventLoop::AllEvents, 5);
}

QRect qrectOf(const RECT& r)
{
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// The bottom strip of a quadrant where its name is written.
QRect nameStrip(const RECT& quadrant)
{
    return QRect(quadrant.left, quadrant.bottom - 20, 120, 20);
}

constexpr QRgb kYellow = qRgb(255, 255, 0);

} // namespace

class QuadViewTest : public ContentViewFixture {
protected:
    // Four cameras named "Cam 1" … "Cam 4" in a quad view "Quad"; configs[i] for camera i.
    void makeQuad(std::vector<camsim::CamSimConfig> configs, int entries = 4,
                  const std::string& user = {}, const std::string& password = {})
    {
        std::vector<std::string> members;
        for (std::size_t i = 0; i < configs.size(); ++i) {
            camsim::CamSim* cam = startCamera("OC30", configs[i]);
            ASSERT_TRUE(cam);
            const std::string name = "Cam " + std::to_string(i + 1);
            // Two of them identified by their greeting, two by their stored model.
            addCameraItem(name, *cam, "640x480", i % 2 == 0);
            if (static_cast<int>(members.size()) < entries)
                members.push_back(name);
        }
        addGroupItem("Quad", ItemKind::QuadView, members, 5000, user, password);
        ASSERT_TRUE(openItem("Quad"));
        m_quad = viewWidget<QuadViewWidget>();
        ASSERT_TRUE(m_quad) << "the quad view's window";
    }
    bool waitPainted(int slot, std::uint64_t frames, std::chrono::seconds limit = 15s)
    {
        return waitUntil([&] { return m_quad->framesPainted(slot) >= frames; }, limit, spin);
    }

    QuadViewWidget* m_quad = nullptr;
};

TEST_F(QuadViewTest, ThreeEntriesStartNothing)
{
    makeQuad({{}, {}, {}}, 3);
    EXPECT_EQ(m_quad->openStreams(), 0);
    for (int i = 0; i < kQuadSlots; ++i)
        EXPECT_TRUE(m_quad->slotName(i).isEmpty());
    // The quadrants are black, and no camera was asked for anything.
    const QImage picture = grabView();
    for (int i = 0; i < kQuadSlots; ++i) {
        const QRect q = qrectOf(m_quad->quadrant(i));
        EXPECT_EQ(countColour(picture, q, qRgb(0, 0, 0)), q.width() * q.height()) << i;
    }
    for (const auto& cam : m_cameras) {
        EXPECT_TRUE(cam->requests().empty());
        EXPECT_TRUE(cam->bannerCommands().empty());
    }
}

TEST_F(QuadViewTest, FourCamerasWithTheirNamesAndTheRecordsCredentials)
{
    // Every camera asks for the quad view's user; only SetUser lets the streams in.
    camsim::CamSimConfig config;
    config.auth = camsim::AuthMode::Basic;
    config.user = "viewer";
    config.password = "s3cret";
    config.fps = 25;
    makeQuad({config, config, config, config}, 4, "viewer", "s3cret");
    EXPECT_EQ(m_quad->openStreams(), 4);
    for (int i = 0; i < kQuadSlots; ++i) {
        EXPECT_EQ(m_quad->slotName(i).toStdString(), "Cam " + std::to_string(i + 1));
        ASSERT_TRUE(waitPainted(i, 3)) << "slot " << i << ": " << m_quad->slotStatus(i);
    }
    EXPECT_TRUE(m_quad->limitedRate()) << "limited frame rate is the default";

    // Each quadrant holds its own camera's picture and, at its bottom left, its name in yellow.
    QImage picture = grabView();
    screenshot("quadswitch-quad-names");
    for (int i = 0; i < kQuadSlots; ++i) {
        const QRect q = qrectOf(m_quad->quadrant(i));
        EXPECT_GT(countColour(picture, nameStrip(m_quad->quadrant(i)), kYellow), 10) << i;
        EXPECT_LT(countColour(picture, q, qRgb(0, 0, 0)), q.width() * q.height() / 2)
            << "slot " << i << " shows a picture";
    }

    // Without names the strips carry no yellow text.
    ASSERT_TRUE(sendCommand(m_window->viewWindow(), IDM_DISPLAY_NAMES));
    EXPECT_FALSE(m_quad->namesShown());
    const std::uint64_t painted = m_quad->framesPainted(0);
    ASSERT_TRUE(waitPainted(0, painted + 2));
    picture = grabView();
    for (int i = 0; i < kQuadSlots; ++i)
        EXPECT_LT(countColour(picture, nameStrip(m_quad->quadrant(i)), kYellow), 3) << i;

    // Closing the view ends all four streams.
    m_window->goUp();
    for (const auto& cam : m_cameras)
        EXPECT_TRUE(cam->waitForActiveStreams(0, 5000ms));
}

TEST_F(QuadViewTest, ACameraThatDropsOrStallsLeavesTheOthersRunningAndShowsWhy)
{
    camsim::CamSimConfig live;
    live.fps = 25;
    camsim::CamSimConfig drops = live;
    drops.faults.closeAfterParts = 5;
    camsim::CamSimConfig stalls = live;
    stalls.faults.stopAfterParts = 5;
    makeQuad({live, drops, stalls, live});
    ASSERT_TRUE(waitPainted(0, 2));

    // The dropped camera's quadrant says why; the stalled one says so after the stall time.
    EXPECT_TRUE(waitUntil(
        [&] {
            return !m_quad->slotStatus(1).empty() &&
                   m_quad->slotStatus(1).find("Fps") == std::string::npos;
        },
        15s, spin))
        << m_quad->slotStatus(1);
    // The stalled one says so after the stall time, in yellow on black at its quadrant's top
    // left, readable over any picture (until its next picture arrives).
    int yellow = 0;
    int black = 0;
    EXPECT_TRUE(waitUntil(
        [&] {
            if (m_quad->slotStatus(2).find("no image") == std::string::npos)
                return false;
            const QImage picture = grabView();
            const QRect reason(m_quad->quadrant(2).left, m_quad->quadrant(2).top, 120, 14);
            yellow = countColour(picture, reason, kYellow);
            black = countColour(picture, reason, qRgb(0, 0, 0));
            return yellow > 20 && black > reason.width() * reason.height() / 3;
        },
        25s, spin))
        << m_quad->slotStatus(2) << ": " << yellow << " yellow, " << black << " black in "
        << grabView().width() << "x" << grabView().height() << " at " << m_quad->quadrant(2).left
        << "," << m_quad->quadrant(2).top;
    screenshot("quadswitch-quad-stalled");

    // Both come back by themselves with new pictures (a slow window takes several frames as
    // one), and the live ones never stopped.
    const std::uint64_t before = m_quad->framesPainted(0);
    const std::uint64_t dropped = m_quad->framesArrived(1);
    const std::uint64_t stalled = m_quad->framesArrived(2);
    EXPECT_TRUE(waitUntil(
        [&] { return m_quad->framesArrived(1) > dropped && m_quad->framesArrived(2) > stalled; },
        25s, spin))
        << m_quad->framesArrived(1) << " " << m_quad->framesArrived(2) << ": "
        << m_quad->slotStatus(2);
    EXPECT_TRUE(waitUntil([&] { return m_quad->framesPainted(0) > before + 10; }, 10s, spin));
    EXPECT_GT(m_quad->framesPainted(3), 10u);
}

TEST_F(QuadViewTest, TakesTheBrowsersMenusAndAcceleratorsAsTheSingleViewDoes)
{
    makeQuad({{}, {}, {}}, 3);
    // Accelerator table 102: F1 opens the help from the quad's window.
    std::vector<std::string> opened;
    setDocumentLauncher([&](const std::string& target) {
        opened.push_back(target);
        return true;
    });
    m_window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    m_quad->setFocus();
    QTest::keyClick(m_quad, Qt::Key_F1);
    setDocumentLauncher({});
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(opened.front().ends_with("/help.htm")) << opened.front();

    // Menu 231 in the browser's View menu: checks follow the view, Size To Fit is greyed while
    // the canvas keeps its size, and an entry runs its command.
    QMenu* view = findSubMenu(menuHandle(m_window->menuBar()), FCIDM_MENU_VIEW);
    ASSERT_TRUE(view);
    emit view->aboutToShow();
    QAction* names = findMenuItem(menuHandle(view), IDM_DISPLAY_NAMES);
    QAction* retain = findMenuItem(menuHandle(view), IDM_RETAIN_IMAGE_SIZE);
    QAction* fit = findMenuItem(menuHandle(view), IDM_SIZE_TO_FIT);
    ASSERT_TRUE(names && retain && fit);
    EXPECT_TRUE(names->isChecked());
    EXPECT_TRUE(fit->isEnabled());
    names->trigger();
    retain->trigger();
    EXPECT_FALSE(m_quad->namesShown());
    emit view->aboutToShow();
    EXPECT_FALSE(names->isChecked());
    EXPECT_TRUE(retain->isChecked());
    EXPECT_FALSE(fit->isEnabled());
}
