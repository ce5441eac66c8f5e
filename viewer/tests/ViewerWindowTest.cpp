// The viewer's window in this process: real widgets on the offscreen platform, real image
// objects created by class id, real timers. What a user does with the tool bar, the slider and
// the keyboard, and what the view then shows.

#include "platform/com/ClassRegistration.h"
#include "platform/com/Runtime.h"
#include "testsupport/TempStateRoot.h"
#include "testsupport/WaitUntil.h"
#include "viewer/app/AboutDialog.h"
#include "viewer/app/CompressorDialog.h"
#include "viewer/app/ControlBar.h"
#include "viewer/app/MainFrame.h"
#include "viewer/app/VistelApp.h"
#include "viewer/app/VistelDoc.h"
#include "viewer/app/VistelStrings.h"
#include "viewer/app/VistelView.h"
#include "viewer/tests/ViewerQtEnvironment.h"
#include "viewer/tests/ViewerTestFiles.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using namespace vistel;
using namespace vistel::test;

bool near(QRgb pixel, Rgb expected, int tolerance = 24)
{
    return std::abs(qRed(pixel) - expected.r) <= tolerance &&
           std::abs(qGreen(pixel) - expected.g) <= tolerance &&
           std::abs(qBlue(pixel) - expected.b) <= tolerance;
}

const Rgb kDarkGrey{64, 64, 64};

struct ViewerWindow : ::testing::Test {
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() /
                 ("vistel-window-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
        app = std::make_unique<CVistelApp>();
        // Every frame a tick or a seek put on screen, by its index in the sequence.
        QObject::connect(doc(), &CVistelDoc::statusText, [this](const QString& path) {
            shown.push_back(
                std::stoi(path.section('/', -1).mid(1).section('.', 0, 0).toStdString()));
        });
    }
    void TearDown() override
    {
        app.reset();
        std::filesystem::remove_all(folder);
    }

    CVistelDoc* doc() { return app->document(); }
    CMainFrame* frame() { return app->frame(); }
    QAction* command(unsigned id) { return frame()->command(id); }
    QSlider* slider() { return frame()->controlBar()->slider(); }
    std::string path(const std::string& name) { return (folder / name).string(); }

    std::string sequence(int frames, unsigned interval, int width = 160, int height = 120)
    {
        auto names = writeFrames(folder.string(), frames, width, height);
        EXPECT_EQ(names.size(), static_cast<std::size_t>(frames));
        EXPECT_TRUE(writeSequenceFile(path("seq.sqj"), "sq11", interval, names));
        return path("seq.sqj");
    }

    QImage grabView() { return frame()->view()->grab().toImage(); }
    QRgb viewCentre()
    {
        QImage image = grabView();
        return image.pixel(image.width() / 2, image.height() / 2);
    }
    void sendKey(QWidget* to, int key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(to, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(to, &release);
    }
    void save(const QImage& image, const std::string& name)
    {
        image.save(QString::fromStdString(screenshotFolder() + "/" + name));
    }

    std::filesystem::path folder;
    std::unique_ptr<CVistelApp> app;
    std::vector<int> shown;
};

TEST_F(ViewerWindow, ShowsOneImageAtItsSizeWithoutBarsAndUnflipped)
{
    ASSERT_TRUE(writeQuadrantJpeg(path("door.jpg"), 640, 480));
    ASSERT_EQ(doc()->SetImage(path("door.jpg")), S_OK);
    app->SetUserCtrl();
    ASSERT_TRUE(processUntil(5s, [&] { return frame()->view()->size() == QSize(640, 480); }))
        << frame()->view()->width() << "x" << frame()->view()->height();
    EXPECT_TRUE(frame()->isVisible());
    EXPECT_FALSE(frame()->toolBar()->isVisible());
    EXPECT_FALSE(frame()->controlBar()->isVisible());
    EXPECT_FALSE(frame()->statusBar()->isVisible());
    EXPECT_EQ(doc()->title(), QStringLiteral("door.jpg"));
    EXPECT_EQ(frame()->windowTitle(), QStringLiteral("door.jpg - Sequence Viewer"));

    QImage view = grabView();
    save(frame()->grab().toImage(), "viewer-image.png");
    EXPECT_TRUE(near(view.pixel(160, 120), {255, 0, 0}));
    EXPECT_TRUE(near(view.pixel(480, 120), {0, 255, 0}));
    EXPECT_TRUE(near(view.pixel(160, 360), {0, 0, 255}));
    EXPECT_TRUE(near(view.pixel(480, 360), {255, 255, 255}));

    // The user stretches the window: the image follows, without keeping its aspect.
    frame()->resize(frame()->width() + 320, frame()->height());
    ASSERT_TRUE(processUntil(5s, [&] { return frame()->view()->width() == 960; }));
    view = grabView();
    EXPECT_TRUE(near(view.pixel(470, 120), {255, 0, 0}));
    EXPECT_TRUE(near(view.pixel(490, 120), {0, 255, 0}));
}

TEST_F(ViewerWindow, AnImageThatCannotBeLoadedIsRefusedAndTheViewStaysDarkGrey)
{
    EXPECT_EQ(doc()->SetImage(path("missing.jpg")), E_HANDLE);
    std::ofstream(path("text.jpg")) << "not a picture";
    EXPECT_EQ(doc()->SetImage(path("text.jpg")), E_FAIL);
    EXPECT_TRUE(doc()->title().isEmpty());
    // Hint 1 without a decodable image fits the view to 320 x 240.
    app->SetUserCtrl();
    ASSERT_TRUE(processUntil(5s, [&] { return frame()->view()->size() == kNoImageSize; }));
    EXPECT_TRUE(near(viewCentre(), kDarkGrey, 0));
}

TEST_F(ViewerWindow, PlaysFromStoppedThroughToStoppedOnTheLastFrame)
{
    ASSERT_EQ(doc()->SetSequence(sequence(3, 40)), S_OK);
    EXPECT_TRUE(command(kCommandPlay)->isChecked());
    EXPECT_FALSE(command(kCommandStop)->isChecked());
    app->SetUserCtrl();
    ASSERT_TRUE(processUntil(5s, [&] { return command(kCommandStop)->isChecked(); }));
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(slider()->value(), 2);
    EXPECT_FALSE(command(kCommandPlay)->isChecked());
    EXPECT_FALSE(command(kCommandPause)->isEnabled());
    EXPECT_TRUE(near(viewCentre(), frameColour(2)));
    EXPECT_EQ(frame()->statusPane()->text(), QString::fromStdString(path("f2.jpg")));
    EXPECT_EQ(doc()->title(), QStringLiteral("f2.jpg")); // the last frame names the sequence
}

TEST_F(ViewerWindow, PauseHoldsTheFrameAndPlayResumesWhereItWas)
{
    ASSERT_EQ(doc()->SetSequence(sequence(6, 60)), S_OK);
    app->SetUserCtrl();
    ASSERT_TRUE(processUntil(5s, [&] { return shown.size() >= 2; }));
    command(kCommandPause)->trigger();
    EXPECT_TRUE(command(kCommandPause)->isChecked());
    EXPECT_FALSE(command(kCommandPlay)->isChecked());
    const std::vector<int> atPause = shown;
    processFor(300ms); // five intervals
    EXPECT_EQ(shown, atPause);

    command(kCommandPlay)->trigger();
    ASSERT_TRUE(processUntil(5s, [&] { return command(kCommandStop)->isChecked(); }));
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3, 4, 5}));
}

TEST_F(ViewerWindow, PlayWhilePlayingStartsAgainAtTheFirstFrame)
{
    ASSERT_EQ(doc()->SetSequence(sequence(5, 50)), S_OK);
    app->SetUserCtrl();
    ASSERT_TRUE(processUntil(5s, [&] { return shown.size() >= 3; }));
    const std::size_t before = shown.size();
    command(kCommandPlay)->trigger();
    ASSERT_TRUE(processUntil(5s, [&] { return command(kCommandStop)->isChecked(); }));
    ASSERT_GT(shown.size(), before);
    EXPECT_EQ(shown[before], 0);
    EXPECT_EQ(std::vector<int>(shown.begin() + static_cast<long>(before), shown.end()),
              (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST_F(ViewerWindow, DraggingTheSliderWhilePlayingPausesOnTheChosenFrameAndPlayGoesOnFromIt)
{
    ASSERT_EQ(doc()->SetSequence(sequence(8, 60)), S_OK);
    app->SetUserCtrl();
    ASSERT_TRUE(processUntil(5s, [&] { return shown.size() >= 2; }));

    slider()->setSliderDown(true);
    slider()->setSliderPosition(5); // the thumb dragged to 5
    slider()->setSliderDown(false);
    EXPECT_EQ(shown.back(), 5);
    EXPECT_TRUE(command(kCommandPause)->isChecked());
    const std::size_t atSeek = shown.size();
    processFor(300ms);
    EXPECT_EQ(shown.size(), atSeek);
    processUntil(1s, [&] { return frame()->view()->grab().toImage().pixel(80, 60) != 0; });
    EXPECT_TRUE(near(viewCentre(), frameColour(5)));

    command(kCommandPlay)->trigger();
    ASSERT_TRUE(processUntil(5s, [&] { return command(kCommandStop)->isChecked(); }));
    EXPECT_EQ(std::vector<int>(shown.begin() + static_cast<long>(atSeek), shown.end()),
              (std::vector<int>{5, 6, 7}));
}

TEST_F(ViewerWindow, PageKeysSeekButArrowKeysOnlyMoveTheSlider)
{
    ASSERT_EQ(doc()->LoadSequence(sequence(6, 50), false), S_OK);
    app->SetUserCtrl();
    EXPECT_TRUE(command(kCommandStop)->isChecked());
    sendKey(slider(), Qt::Key_Right);
    sendKey(slider(), Qt::Key_Right);
    EXPECT_EQ(slider()->value(), 2);
    EXPECT_TRUE(shown.empty());
    sendKey(slider(), Qt::Key_PageUp);
    EXPECT_EQ(slider()->value(), 3);
    EXPECT_EQ(shown, (std::vector<int>{3}));
    sendKey(slider(), Qt::Key_End);
    EXPECT_EQ(slider()->value(), 5);
    EXPECT_EQ(shown, (std::vector<int>{3}));
    sendKey(slider(), Qt::Key_PageDown);
    EXPECT_EQ(shown, (std::vector<int>{3, 4}));
    // Seeking while stopped does not start playback.
    EXPECT_TRUE(command(kCommandStop)->isChecked());
    EXPECT_FALSE(command(kCommandPause)->isEnabled());
    EXPECT_EQ(doc()->currentIndex(), 4);
}

TEST_F(ViewerWindow, AMissingFrameStopsPlaybackOnADarkGreyViewAndKeepsTheLastPath)
{
    sequence(3, 40);
    std::filesystem::remove(path("f1.jpg"));
    ASSERT_EQ(doc()->SetSequence(path("seq.sqj")), S_OK);
    app->SetUserCtrl();
    ASSERT_TRUE(processUntil(5s, [&] { return command(kCommandStop)->isChecked(); }));
    EXPECT_EQ(shown, (std::vector<int>{0}));
    EXPECT_EQ(frame()->statusPane()->text(), QString::fromStdString(path("f0.jpg")));
    EXPECT_TRUE(frame()->view()->isErasing());
    EXPECT_TRUE(near(viewCentre(), kDarkGrey, 0));
    // The list stays: Play starts again from the first frame.
    EXPECT_TRUE(command(kCommandPlay)->isEnabled());
}

TEST_F(ViewerWindow, ASequenceOfNoFramesShowsAnEmptyDarkGreyViewWithEveryCommandOff)
{
    ASSERT_TRUE(writeSequenceFile(path("none.sqj"), "sq11", 100, {}));
    ASSERT_EQ(doc()->SetSequence(path("none.sqj")), S_OK);
    app->SetUserCtrl();
    ASSERT_TRUE(processUntil(5s, [&] { return frame()->view()->size() == kNoImageSize; }));
    EXPECT_FALSE(command(kCommandPlay)->isEnabled());
    EXPECT_FALSE(command(kCommandPause)->isEnabled());
    EXPECT_FALSE(command(kCommandStop)->isEnabled());
    EXPECT_FALSE(slider()->isEnabled());
    EXPECT_EQ(doc()->title(), QStringLiteral("none.sqj"));
    EXPECT_TRUE(near(viewCentre(), kDarkGrey, 0));

    // A foreign magic reads the same way; in AVI mode only Stop is offered.
    ASSERT_TRUE(writeSequenceFile(path("odd.sqj"), "xq11", 100, {"f0.jpg"}));
    ASSERT_EQ(doc()->SetSequenceCreateAVI(path("odd.sqj")), S_OK);
    EXPECT_TRUE(doc()->frames().empty());
    EXPECT_FALSE(command(kCommandPlay)->isEnabled());
    EXPECT_TRUE(command(kCommandStop)->isEnabled());
    EXPECT_FALSE(command(kCommandStop)->isChecked());
}

TEST_F(ViewerWindow, ADamagedOrMissingSequenceFileIsRefusedAndClearsTheDocument)
{
    ASSERT_EQ(doc()->LoadSequence(sequence(2, 50), false), S_OK);
    EXPECT_EQ(doc()->frames().size(), 2u);
    EXPECT_EQ(doc()->SetSequence(path("absent.sqj")), E_FAIL);
    EXPECT_TRUE(doc()->frames().empty());
    EXPECT_FALSE(command(kCommandPlay)->isEnabled());

    // Three entries announced, one present.
    ASSERT_TRUE(writeSequenceFile(path("cut.sqj"), "sq11", 100, {"f0.jpg"}));
    std::fstream cut(path("cut.sqj"), std::ios::in | std::ios::out | std::ios::binary);
    cut.seekp(4);
    cut.put(3);
    cut.close();
    EXPECT_EQ(doc()->SetSequence(path("cut.sqj")), E_FAIL);
    EXPECT_TRUE(doc()->frames().empty());
}

TEST_F(ViewerWindow, IntervalsAreBoundedToOneThroughOneThousandMilliseconds)
{
    auto names = writeFrames(folder.string(), 1, 32, 32);
    for (auto [stored, used] :
         {std::pair{0u, 1u}, {1u, 1u}, {1000u, 1000u}, {5000u, 1000u}, {4294967295u, 1000u}}) {
        ASSERT_TRUE(writeSequenceFile(path("i.sqj"), "SQ11", stored, names));
        ASSERT_EQ(doc()->LoadSequence(path("i.sqj"), false), S_OK);
        EXPECT_EQ(doc()->frameInterval(), used) << stored;
    }
}

TEST_F(ViewerWindow, TheToolBarTheControlBarAndTheMenusCarryTheirIds)
{
    QStringList tools;
    for (QAction* a : frame()->toolBar()->actions())
        tools << (a->isSeparator() ? QStringLiteral("|") : a->objectName());
    EXPECT_EQ(tools.join(' '), QStringLiteral("32771 32773 32772 | 57664"));
    EXPECT_EQ(command(kCommandPlay)->toolTip(), QStringLiteral("Play"));
    EXPECT_EQ(command(kCommandPause)->statusTip(), QStringLiteral("Pause"));
    EXPECT_EQ(frame()->controlBar()->slider()->objectName(), QStringLiteral("1003"));
    QStringList menus;
    for (QAction* menu : frame()->menuBar()->actions()) {
        QStringList items;
        for (QAction* a : menu->menu()->actions())
            items << a->text().remove('&');
        menus << menu->text().remove('&') + ":" + items.join(',');
    }
    EXPECT_EQ(menus.join(' '),
              QStringLiteral("File:Exit View:Toolbar,Status Bar Help:About Vistel..."));
    EXPECT_EQ(loadString(kStringCreatingAvi), QStringLiteral("Creating AVI..."));
}

TEST_F(ViewerWindow, ScreenshotOfASequencePlayingWithTheSlider)
{
    auto names = std::vector<std::string>{};
    for (int i = 0; i < 4; ++i) {
        names.push_back("q" + std::to_string(i) + ".jpg");
        ASSERT_TRUE(writeQuadrantJpeg(path(names.back()), 480, 360));
    }
    ASSERT_TRUE(writeSequenceFile(path("q.sqj"), "sq11", 1000, names));
    ASSERT_EQ(doc()->SetSequence(path("q.sqj")), S_OK);
    app->SetUserCtrl();
    slider()->setSliderDown(true);
    slider()->setSliderPosition(2);
    slider()->setSliderDown(false);
    ASSERT_TRUE(processUntil(5s, [&] { return frame()->view()->size() == QSize(480, 360); }))
        << frame()->view()->width() << "x" << frame()->view()->height() << " min "
        << frame()->minimumSizeHint().width();
    QApplication::processEvents();
    save(frame()->grab().toImage(), "viewer-sequence.png");
    EXPECT_TRUE(near(grabView().pixel(100, 100), {255, 0, 0}));
    EXPECT_EQ(slider()->value(), 2);
}

TEST_F(ViewerWindow, ScreenshotsOfTheAboutDialogAndTheCompressorChooser)
{
    AboutDialog about(frame());
    about.show();
    QApplication::processEvents();
    save(about.grab().toImage(), "viewer-about.png");
    EXPECT_EQ(about.objectName(), QStringLiteral("100"));

    // Without "IV50" here the chooser starts on full frames.
    const std::vector<VideoCompressor> compressors = availableCompressors();
    CompressorDialog chooser(compressors, frame());
    chooser.show();
    QApplication::processEvents();
    save(chooser.grab().toImage(), "viewer-compressors.png");
    ASSERT_EQ(chooser.list()->count(), static_cast<int>(compressors.size()));
    EXPECT_EQ(chooser.list()->item(0)->text(),
              QStringLiteral("Full Frames (Uncompressed)  [DIB ]"));
    EXPECT_EQ(chooser.choice().compressor.fourcc,
              findCompressor(compressors, "IV50") ? std::string("IV50") : std::string("DIB "));
}

} // namespace
