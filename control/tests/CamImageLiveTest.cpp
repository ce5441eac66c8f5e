// CamImage against the camera simulator, hosted as the page host hosts it: run and design
// mode, address resolution against the page, the painted-flag hand-off, the page's stop
// event, Stretch and the sound panel strip, and the PTZ requests of clicks and the wheel.

#include "control/tests/ControlHost.h"
#include "platform/draw/MemorySurface.h"
#include "testsupport/CamSimFixture.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>

namespace pictra::test {
namespace {

using namespace std::chrono_literals;

class CamImageLiveTest : public ControlHostFixture {
protected:
    void TearDown() override
    {
        ControlHostFixture::TearDown();
        m_cameras.clear();
    }
    camsim::CamSim* startCamera(camsim::CamSimConfig config = {})
    {
        std::string error;
        auto camera = startCameraOnFreeAddress(std::move(config), &error);
        EXPECT_TRUE(camera) << error;
        m_cameras.push_back(std::move(camera));
        return m_cameras.back().get();
    }
    static std::size_t streamRequests(const camsim::CamSim& camera)
    {
        std::size_t n = 0;
        for (const auto& logged : camera.requests())
            n += logged.request.path.find("video.cgi") != std::string::npos;
        return n;
    }

    std::vector<std::unique_ptr<camsim::CamSim>> m_cameras;
};

const orvel::draw::Color kMagenta{255, 0, 255};

// The host's draw call: the control's picture into bounds of a surface.
HRESULT drawControl(IViewObject* view, orvel::draw::MemorySurface& surface, const RECT& bounds)
{
    return view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, surface.hdc(), &bounds,
                      nullptr, nullptr, 0);
}

TEST_F(CamImageLiveTest, DesignModeStoresTheAddressUnresolvedAndStartsNothing)
{
    camsim::CamSim* camera = startCamera();
    ASSERT_TRUE(camera);
    const std::string path = camera->videoPath(1, "320x240");
    host(Options(camera->url("/")).design().param("URL", path));
    EXPECT_EQ(textProperty(control(), &IOrvelCamControl::get_URL), path);
    EXPECT_EQ(control()->StartDownload(), S_OK);
    EXPECT_EQ(control()->put_URL(Text(path)), S_OK);
    pumpFor(600ms);
    EXPECT_EQ(camera->requests().size(), 0u);
    EXPECT_EQ(textProperty(control(), &IOrvelCamControl::get_URL), path);
    EXPECT_EQ(count("OnNewImage"), 0);
}

TEST_F(CamImageLiveTest, EmptyAddressStartsNothingInRunMode)
{
    camsim::CamSim* camera = startCamera();
    ASSERT_TRUE(camera);
    host(Options(camera->url("/")));
    EXPECT_EQ(control()->StartDownload(), S_OK);
    pumpFor(300ms);
    EXPECT_EQ(camera->requests().size(), 0u);
}

TEST_F(CamImageLiveTest, BarePathOnTheCamerasPageStreamsFromThatCamera)
{
    camsim::CamSim* camera = startCamera();
    ASSERT_TRUE(camera);
    const std::string path = camera->videoPath(1, "320x240");
    host(Options(camera->url("/index.html")).param("URL", path));
    EXPECT_EQ(textProperty(control(), &IOrvelCamControl::get_URL), camera->url(path));
    EXPECT_EQ(count("changed URL"), 1);
    ASSERT_TRUE(waitFor([&] { return count("OnNewImage") >= 3; }, 10s));
    ASSERT_EQ(camera->requests().size(), 1u);
    EXPECT_EQ(camera->requests()[0].request.target, path);

    // An address holding "https://" is used as it is.
    EXPECT_EQ(control()->put_image_pan_tilt(Text("/go?to=https://elsewhere/")), S_OK);
    EXPECT_EQ(textProperty(control(), &IOrvelCamControl::get_image_pan_tilt),
              "/go?to=https://elsewhere/");
}

TEST_F(CamImageLiveTest, AHostThatNeverRepaintsGetsOneImagePerPaintedFrame)
{
    camsim::CamSimConfig config;
    config.fps = 25;
    camsim::CamSim* camera = startCamera(config);
    ASSERT_TRUE(camera);
    host(Options(camera->url("/")).param("URL", camera->videoPath(1, "320x240")).hidden());
    ASSERT_TRUE(waitFor([&] { return count("OnNewImage") >= 1; }, 10s));
    // About 25 more images arrive in this second; none is taken while the first is unpainted.
    pumpFor(1000ms);
    EXPECT_EQ(count("OnNewImage"), 1);

    // One paint lets exactly one more image through.
    ComPtr<IViewObject> view = site()->controlAs<IViewObject>();
    ASSERT_TRUE(view);
    orvel::draw::MemorySurface surface(320, 240, kMagenta);
    RECT bounds{0, 0, 320, 240};
    ASSERT_EQ(drawControl(view.get(), surface, bounds), S_OK);
    EXPECT_NE(surface.pixel(160, 120), kMagenta);
    ASSERT_TRUE(waitFor([&] { return count("OnNewImage") >= 2; }, 5s));
    pumpFor(500ms);
    EXPECT_EQ(count("OnNewImage"), 2);
}

TEST_F(CamImageLiveTest, StretchZeroShrinksThePictureIntoTheControlAboveTheSoundPanel)
{
    camsim::CamSim* camera = startCamera();
    ASSERT_TRUE(camera);
    host(Options(camera->url("/"))
             .param("URL", camera->videoPath(1, "640x480"))
             .param("Stretch", "0")
             .size(320, 240)
             .hidden());
    ASSERT_TRUE(waitFor([&] { return count("OnNewImage") >= 1; }, 10s));
    ComPtr<IViewObject> view = site()->controlAs<IViewObject>();
    RECT bounds{0, 0, 320, 240};
    orvel::draw::MemorySurface whole(400, 300, kMagenta);
    ASSERT_EQ(drawControl(view.get(), whole, bounds), S_OK);
    EXPECT_NE(whole.pixel(2, 2), kMagenta);
    EXPECT_NE(whole.pixel(317, 237), kMagenta);
    EXPECT_EQ(whole.pixel(322, 120), kMagenta);
    EXPECT_EQ(whole.pixel(160, 242), kMagenta);

    // With the sound panel the picture takes 320 x 160 above its 80-pixel strip.
    ASSERT_EQ(control()->put_DisplaySoundPanel(1), S_OK);
    orvel::draw::MemorySurface above(400, 300, kMagenta);
    ASSERT_EQ(drawControl(view.get(), above, bounds), S_OK);
    EXPECT_NE(above.pixel(160, 2), kMagenta);
    EXPECT_NE(above.pixel(317, 157), kMagenta);
    EXPECT_EQ(above.pixel(160, 162), kMagenta);
    EXPECT_EQ(above.pixel(160, 237), kMagenta);
    ASSERT_EQ(controlWindow()->size(), QSize(320, 240)); // Stretch 0 never resizes
}

TEST_F(CamImageLiveTest, StretchOneGrowsTheControlToThePictureAtTheFirstPaint)
{
    camsim::CamSim* camera = startCamera();
    ASSERT_TRUE(camera);
    host(Options(camera->url("/"))
             .param("URL", camera->videoPath(1, "352x288"))
             .param("Stretch", "1")
             .size(100, 100));
    ASSERT_TRUE(controlWindow());
    ASSERT_TRUE(waitFor([&] { return controlWindow()->size() == QSize(352, 288); }, 10s))
        << controlWindow()->width() << "x" << controlWindow()->height();
    EXPECT_EQ(reportedSize(), std::make_pair(352, 288));
}

TEST_F(CamImageLiveTest, ThePagesStopEventStopsTheStreamAndStartDownloadResumesIt)
{
    camsim::CamSim* camera = startCamera();
    ASSERT_TRUE(camera);
    host(Options(camera->url("/")).param("URL", camera->videoPath(1, "320x240")));
    ASSERT_TRUE(waitFor([&] { return count("OnNewImage") >= 2; }, 10s));
    document()->fireStop();
    ASSERT_TRUE(camera->waitForActiveStreams(0, 5s));
    const int seen = count("OnNewImage");
    pumpFor(300ms);
    EXPECT_EQ(count("OnNewImage"), seen);

    EXPECT_EQ(control()->StartDownload(), S_OK);
    ASSERT_TRUE(waitFor([&] { return count("OnNewImage") >= seen + 2; }, 10s));
    EXPECT_EQ(streamRequests(*camera), 2u);
}

TEST_F(CamImageLiveTest, ClicksCentreAndWheelTurnsZoomOncePerMessage)
{
    camsim::CamSimConfig config;
    config.model = "OS34";
    camsim::CamSim* camera = startCamera(config);
    ASSERT_TRUE(camera);
    host(Options(camera->url("/")).param("URL", camera->videoPath(1, "320x240")));
    QWidget* window = controlWindow();
    ASSERT_TRUE(window);
    auto click = [&](QPoint at) {
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at),
                            window->mapToGlobal(QPointF(at)), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(window, &release);
    };
    auto wheel = [&](int delta) {
        QWheelEvent turn(QPointF(50, 50), window->mapToGlobal(QPointF(50, 50)), QPoint(),
                         QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(window, &turn);
    };

    // Without a prefix nothing is sent.
    click({7, 7});
    wheel(120);

    ASSERT_EQ(control()->put_image_pan_tilt(Text("/orvel-cgi/com/ptz.cgi?camera=1&center=")), S_OK);
    click({120, 45});
    wheel(120);
    wheel(-360);
    click({0, 0});
    ASSERT_TRUE(camera->waitForPtzCommands(4, 10s));
    pumpFor(300ms);
    const std::vector<camsim::PtzCommand> commands = camera->ptzCommands();
    ASSERT_EQ(commands.size(), 4u);
    EXPECT_EQ(commands[0].kind, camsim::PtzCommand::Kind::Center);
    EXPECT_EQ(commands[0].target, "/orvel-cgi/com/ptz.cgi?camera=1&center=120,45");
    EXPECT_EQ(commands[1].target, "/orvel-cgi/com/ptz.cgi?camera=1&rzoom=1000");
    EXPECT_EQ(commands[2].target, "/orvel-cgi/com/ptz.cgi?camera=1&rzoom=-1000");
    EXPECT_EQ(commands[3].target, "/orvel-cgi/com/ptz.cgi?camera=1&center=0,0");
}

} // namespace
} // namespace pictra::test
