// The single live view in the browser with simulated cameras: the stream it opens and how it
// places the image, the scroll bars and greyed entries of its menus, mouse PTZ as the camera
// receives it, snapshots, the view state kept per folder, and cameras that stall or drop.
#include "namespace/views/CamCameraView.h"

#include "namespace/server/Registration.h"
#include "namespace/tests/ContentViewFixture.h"
#include "namespace/views/Snapshot.h"
#include "platform/registry/RegistryKey.h"
#include "platform/shell/ShellMenu.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

using namespace foldra;
using namespace std::chrono_literals;

namespace {

// The merged menu entry as the user sees it once its menu opened.
QAction* menuEntry(QMainWindow* window, UINT group, UINT id)
{
    QMenu* menu = findSubMenu(menuHandle(window->menuBar()), group);
    if (!menu)
        return nullptr;
    emit menu->aboutToShow();
    return findMenuItem(menuHandle(menu), id);
}

// How often a camera was asked for its stream.
std::size_t streamRequests(const camsim::CamSim& camera)
{
    std::size_t count = 0;
    for (const camsim::LoggedRequest& logged : camera.requests())
        if (logged.request.target.find("video") != std::string::npos)
            ++count;
    return count;
}

orvel::draw::Color pixelAt(const QImage& image, int x, int y)
{
    const QRgb rgb = image.pixel(x, y);
    return {static_cast<std::uint8_t>(qRed(rgb)), static_cast<std::uint8_t>(qGreen(rgb)),
            static_cast<std::uint8_t>(qBlue(rgb))};
}

} // namespace

class CamCameraViewTest : public ContentViewFixture {
protected:
    // Opens the item; the single view it shows, or null.
    CamCameraView* open(const std::string& name)
    {
        return openItem(name) ? viewWidget<CamCameraView>() : nullptr;
    }
    // The view's client area made width x height (scroll bars, when shown, outside it).
    void sizeClient(CamCameraView* view, int width, int height)
    {
        const int extraX = view->width() - view->viewport()->width();
        const int extraY = view->height() - view->viewport()->height();
        view->resize(width + extraX, height + extraY);
        QApplication::processEvents();
    }
    // Waits until the view shows an image of the given size.
    bool waitForImage(CamCameraView* view, int width, int height)
    {
        return waitFor(
            [&] { return view->contentWidth() == width && view->contentHeight() == height; }, 10s);
    }
};

TEST_F(CamCameraViewTest, ShowsTheStreamAspectKeptInDarkGreyAndRetainsSizeWithScrollBars)
{
    camsim::CamSim* camera = startCamera("OC30");
    ASSERT_TRUE(camera);
    addCameraItem("Porch", *camera, "320x240");
    CamCameraView* view = open("Porch");
    ASSERT_TRUE(view);
    EXPECT_EQ(view->objectName(), "CamCameraView");
    ASSERT_TRUE(waitForImage(view, 320, 240)) << view->statusText();
    EXPECT_EQ(view->streamUrl(), camera->url(camera->videoPath(1, "320x240")));
    EXPECT_FALSE(view->hasPtz());

    // A new view retains the image size, so Size To Fit is greyed and does nothing.
    ASSERT_TRUE(view->retainImageSize());
    QAction* fit = menuEntry(m_window.get(), FCIDM_MENU_VIEW, IDM_SIZE_TO_FIT);
    ASSERT_TRUE(fit);
    EXPECT_FALSE(fit->isEnabled());
    view->runCommand(IDM_SIZE_TO_FIT);
    EXPECT_FALSE(view->sizeToFit());
    // Scroll ranges: the image beyond the client, a page of the client.
    sizeClient(view, 200, 150);
    EXPECT_TRUE(view->horizontalScrollBar()->isVisible());
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 120);
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 90);
    EXPECT_EQ(view->horizontalScrollBar()->pageStep(), 200);
    view->horizontalScrollBar()->setValue(40);
    EXPECT_EQ(view->contentRect().left, -40);

    // The aspect-kept default: 320 x 240 in 800 x 400 is 533 x 400, centred, grey beside it.
    menuEntry(m_window.get(), FCIDM_MENU_VIEW, IDM_RETAIN_IMAGE_SIZE)->trigger();
    EXPECT_FALSE(view->retainImageSize());
    EXPECT_FALSE(view->horizontalScrollBar()->isVisible());
    sizeClient(view, 800, 400);
    const RECT shown = view->contentRect();
    EXPECT_EQ(shown.right - shown.left, 533);
    EXPECT_EQ(shown.bottom - shown.top, 400);
    EXPECT_EQ(shown.left, 133);
    const QImage painted = view->viewport()->grab().toImage();
    EXPECT_EQ(pixelAt(painted, 60, 200), kViewBackground);
    EXPECT_EQ(pixelAt(painted, 740, 200), kViewBackground);
    EXPECT_NE(pixelAt(painted, 400, 200), kViewBackground);
    EXPECT_TRUE(menuEntry(m_window.get(), FCIDM_MENU_VIEW, IDM_SIZE_TO_FIT)->isEnabled());
    view->runCommand(IDM_SIZE_TO_FIT);
    EXPECT_EQ(view->contentRect().right, 800);
    EXPECT_EQ(view->contentRect().left, 0);

    // The status bar shows the frame rate once the client measured it.
    EXPECT_TRUE(waitFor([&] { return m_window->statusText().startsWith("Fps: "); }, 10s))
        << m_window->statusText().toStdString();
    // PTZ Home is greyed for a camera without PTZ.
    QAction* home = menuEntry(m_window.get(), FCIDM_MENU_VIEW, IDM_PTZ_HOME);
    ASSERT_TRUE(home);
    EXPECT_FALSE(home->isEnabled());
}

TEST_F(CamCameraViewTest, MouseSteersAPtzCameraThroughTheSimpleRequest)
{
    camsim::CamSim* camera = startCamera("OD41");
    ASSERT_TRUE(camera);
    // No stored model: the view identifies the camera by its greeting.
    addCameraItem("Dome", *camera, "352x240", false);
    CamCameraView* view = open("Dome");
    ASSERT_TRUE(view);
    ASSERT_TRUE(waitForImage(view, 352, 240)) << view->statusText();
    ASSERT_TRUE(view->identified());
    EXPECT_TRUE(view->hasPtz());
    EXPECT_TRUE(menuEntry(m_window.get(), FCIDM_MENU_VIEW, IDM_PTZ_HOME)->isEnabled());

    view->runCommand(IDM_RETAIN_IMAGE_SIZE);
    sizeClient(view, 800, 400);
    // 352 x 240 shown 586 x 400 from x 107: the click maps back to (176, 120) of the image.
    const RECT shown = view->contentRect();
    ASSERT_EQ(shown.left, 107);
    ASSERT_EQ(shown.right - shown.left, 586);
    // A command sent while the previous one is still in flight is dropped by the client (as a
    // user's second wheel notch would be): the user tries again, as the test does.
    auto sent = [&](auto action) {
        const std::size_t before = camera->ptzCommands().size();
        return waitFor(
            [&] {
                action();
                return camera->waitForPtzCommands(before + 1, 300ms);
            },
            10s);
    };
    auto click = [&](int x, int y) {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(x, y));
    };
    ASSERT_TRUE(sent([&] { click(107 + 293, 200); }));
    camsim::PtzCommand centre = camera->ptzCommands().back();
    EXPECT_EQ(centre.kind, camsim::PtzCommand::Kind::Center);
    EXPECT_EQ(centre.imageWidth, 352);
    EXPECT_EQ(centre.imageHeight, 240);
    EXPECT_EQ(centre.x, 176);
    EXPECT_EQ(centre.y, 120);
    // The camera turned to the clicked point: the next images show it.
    const std::uint64_t turned = camera->partsServed();
    waitFor([&] { return camera->partsServed() > turned + 3; }, 5s);
    screenshot("liveview-ptz-after-click");
    // A click on the grey border sends nothing.
    click(50, 200);
    EXPECT_FALSE(camera->waitForPtzCommands(2, 1s));

    auto wheel = [&](int delta) {
        QWheelEvent event(QPointF(400, 200), view->viewport()->mapToGlobal(QPointF(400, 200)),
                          QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &event);
    };
    auto middle = [&](Qt::KeyboardModifiers keys) {
        QTest::mouseDClick(view->viewport(), Qt::MiddleButton, keys, QPoint(400, 200));
    };
    const int start = camera->viewport(1).zoom;
    ASSERT_TRUE(sent([&] { wheel(120); }));
    const int in = camera->viewport(1).zoom;
    EXPECT_GT(in, start) << "wheel forward zooms in a step";
    ASSERT_TRUE(sent([&] { wheel(-120); }));
    EXPECT_LT(camera->viewport(1).zoom, in) << "wheel backward zooms out a step";
    ASSERT_TRUE(sent([&] { middle(Qt::ControlModifier); }));
    EXPECT_EQ(camera->viewport(1).zoom, camsim::kMaxZoom) << "Ctrl: the tele end";
    ASSERT_TRUE(sent([&] { middle(Qt::ShiftModifier); }));
    EXPECT_EQ(camera->viewport(1).zoom, 1) << "Shift: the wide end";
    ASSERT_TRUE(sent([&] { click(600, 100); }));
    ASSERT_NE(camera->viewport(1), camsim::Viewport{});
    ASSERT_TRUE(sent([&] { middle({}); }));
    EXPECT_EQ(camera->ptzCommands().back().kind, camsim::PtzCommand::Kind::Home);
    EXPECT_EQ(camera->viewport(1), camsim::Viewport{});
    ASSERT_TRUE(sent([&] { click(600, 100); }));
    ASSERT_TRUE(sent([&] { menuEntry(m_window.get(), FCIDM_MENU_VIEW, IDM_PTZ_HOME)->trigger(); }));
    EXPECT_EQ(camera->ptzCommands().back().kind, camsim::PtzCommand::Kind::Home);
}

TEST(Snapshot, ProposedNameFollowsTheLocalTime)
{
    EXPECT_EQ(proposedSnapshotName({2004, 2, 3, 14, 5, 9, 370}), "image_20040203_140509_37.jpg");
    EXPECT_EQ(proposedSnapshotName({2026, 12, 31, 0, 0, 0, 9}), "image_20261231_000000_00.jpg");
}

TEST_F(CamCameraViewTest, SnapshotSavesTheReceivedBytesWhereTheUserChose)
{
    camsim::CamSim* camera = startCamera("OC30");
    ASSERT_TRUE(camera);
    addCameraItem("Yard", *camera, "320x240");
    const std::filesystem::path folder = std::filesystem::path(m_root.path()) / "shots";
    std::filesystem::create_directories(folder);
    {
        RegistryKey settings;
        ASSERT_TRUE(settings.create(HKEY_CURRENT_USER, kFoldraSettingsKey));
        ASSERT_TRUE(settings.setString("LastSaveDir", folder.string()));
    }
    CamCameraView* view = open("Yard");
    ASSERT_TRUE(view);
    ASSERT_TRUE(waitForImage(view, 320, 240));

    // The dialog proposes LastSaveDir and the stamped name; the user accepts it.
    QString proposed;
    QTimer::singleShot(0, [&] {
        auto* dialog = QApplication::activeModalWidget()->findChild<QLineEdit*>();
        auto* box = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(box && dialog);
        proposed = box->directory().absolutePath() + "/" + dialog->text();
        QMetaObject::invokeMethod(box, "accept", Qt::QueuedConnection);
    });
    menuEntry(m_window.get(), FCIDM_MENU_FILE, IDM_SAVE_SNAPSHOT)->trigger();
    ASSERT_FALSE(proposed.isEmpty());
    const std::string name = std::filesystem::path(proposed.toStdString()).filename().string();
    EXPECT_EQ(std::filesystem::path(proposed.toStdString()).parent_path(), folder);
    EXPECT_EQ(name.rfind("image_", 0), 0u) << name;
    EXPECT_EQ(name.size(), std::string("image_20040203_140509_37.jpg").size()) << name;
    std::ifstream saved(proposed.toStdString(), std::ios::binary);
    ASSERT_TRUE(saved) << proposed.toStdString();
    std::string bytes((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 100u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xD8);
    EXPECT_EQ(view->viewState().saveDirectory, folder.string());
}

TEST_F(CamCameraViewTest, KeepsItsLayoutPerFolderThroughTheViewStateStream)
{
    camsim::CamSim* camera = startCamera("OC30");
    ASSERT_TRUE(camera);
    addCameraItem("Shed", *camera, "320x240");
    CamCameraView* view = open("Shed");
    ASSERT_TRUE(view);
    view->runCommand(IDM_RETAIN_IMAGE_SIZE);
    view->runCommand(IDM_SIZE_TO_FIT);
    ASSERT_FALSE(view->retainImageSize());
    ASSERT_TRUE(view->sizeToFit());
    // The browser asks the view to save its state when it leaves the folder.
    ASSERT_EQ(m_window->currentView()->SaveViewState(), S_OK);
    ASSERT_EQ(m_window->browseToPath("Network Cameras", ""), S_OK);
    CamCameraView* again = open("Shed");
    ASSERT_TRUE(again);
    EXPECT_FALSE(again->retainImageSize());
    EXPECT_TRUE(again->sizeToFit());
    EXPECT_EQ(again->viewState().record, RecordValues{});
}

TEST_F(CamCameraViewTest, FullScreenTakesOverTheStreamUntilAKey)
{
    camsim::CamSim* camera = startCamera("OC30");
    ASSERT_TRUE(camera);
    addCameraItem("Hall", *camera, "320x240");
    CamCameraView* view = open("Hall");
    ASSERT_TRUE(view);
    ASSERT_TRUE(waitForImage(view, 320, 240));
    ASSERT_TRUE(camera->waitForActiveStreams(1, 5s));
    view->runCommand(IDM_FULL_SCREEN);
    CamFullScreen* full = view->fullScreen();
    ASSERT_TRUE(full);
    EXPECT_EQ(full->objectName(), "CamFullScreen");
    EXPECT_TRUE(full->isVisible());
    ASSERT_TRUE(waitFor([&] { return full->hasImage(); }, 10s));
    // Its own stream replaced the view's.
    EXPECT_TRUE(camera->waitForActiveStreams(1, 5s));
    QTest::keyClick(full, Qt::Key_Space);
    ASSERT_TRUE(waitFor([&] { return !view->fullScreen(); }, 5s));
    ASSERT_TRUE(waitFor([&] { return view->image() != nullptr; }, 5s));
    const std::uint64_t before = camera->partsServed();
    EXPECT_TRUE(waitFor([&] { return camera->partsServed() > before + 2; }, 10s))
        << "the view reconnected its own stream";
}

TEST_F(CamCameraViewTest, ACameraThatStallsOrDropsLeavesTheViewRunningWithItsStatus)
{
    camsim::CamSimConfig stalling;
    stalling.faults.stopAfterParts = 3;
    camsim::CamSim* stall = startCamera("OC30", stalling);
    ASSERT_TRUE(stall);
    addCameraItem("Stalls", *stall, "320x240");
    CamCameraView* view = open("Stalls");
    ASSERT_TRUE(view);
    ASSERT_TRUE(waitForImage(view, 320, 240));
    // Nothing more arrives: after the watchdog's time the status bar says so and the view
    // opens the stream again.
    const std::size_t requests = streamRequests(*stall);
    EXPECT_TRUE(
        waitFor([&] { return m_window->statusText().contains("no image"); }, kStallReconnect + 5s))
        << m_window->statusText().toStdString();
    // The last image stays up while the stream is opened again.
    EXPECT_NE(pixelAt(view->viewport()->grab().toImage(), view->viewport()->width() / 2,
                      view->viewport()->height() / 2),
              kViewBackground);
    EXPECT_TRUE(waitFor([&] { return streamRequests(*stall) > requests; }, 5s));
    // The reconnection's own texts do not hide why the picture froze.
    QApplication::processEvents();
    EXPECT_TRUE(m_window->statusText().contains("no image"))
        << m_window->statusText().toStdString();
    EXPECT_TRUE(view->isVisible());

    camsim::CamSimConfig dropping;
    dropping.faults.closeAfterParts = 3;
    camsim::CamSim* drop = startCamera("OC30", dropping);
    ASSERT_TRUE(drop);
    addCameraItem("Drops", *drop, "320x240");
    CamCameraView* second = open("Drops");
    ASSERT_TRUE(second);
    ASSERT_TRUE(waitForImage(second, 320, 240));
    // The connection closed: its text shows, and the view connects again a little later.
    EXPECT_TRUE(waitFor([&] { return streamRequests(*drop) >= 2; }, kReconnectAfterEnd + 5s))
        << m_window->statusText().toStdString();
    EXPECT_FALSE(m_window->statusText().isEmpty());
    EXPECT_TRUE(second->isVisible());

    // The camera goes away altogether: the view keeps its last image and says what happens.
    ASSERT_TRUE(waitForImage(second, 320, 240));
    drop->stop();
    EXPECT_TRUE(waitFor(
        [&] {
            return !m_window->statusText().startsWith("Fps: ") &&
                   !m_window->statusText().startsWith("Connected");
        },
        kReconnectAfterEnd + 10s))
        << m_window->statusText().toStdString();
    QApplication::processEvents();
    EXPECT_NE(pixelAt(second->viewport()->grab().toImage(), second->viewport()->width() / 2,
                      second->viewport()->height() / 2),
              kViewBackground);
    screenshot("liveview-camera-stopped");
}
