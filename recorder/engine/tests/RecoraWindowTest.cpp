// The status window in this process, as the user sees it: its pixel layout, the lamp, the
// status line, and the stop button clicked while recording from a simulated camera.
// RECORA_SCREENSHOTS names a folder for the window's pictures while recording and stopped.
#include "platform/com/ClassRegistration.h"
#include "platform/com/Runtime.h"
#include "recorder/engine/FrameView.h"
#include "recorder/engine/RecoraResources.h"
#include "recorder/engine/RecorderProcess.h"
#include "recorder/engine/StatusWindow.h"
#include "recorder/engine/StopButton.h"
#include "recorder/sequence/SequenceReader.h"
#include "testsupport/CamSimFixture.h"
#include "testsupport/TempStateRoot.h"
#include "testsupport/WaitUntil.h"

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::size_t jpegCount(const std::string& dir)
{
    std::size_t n = 0;
    for (const auto& entry : fs::directory_iterator(dir))
        n += entry.path().extension() == ".jpg";
    return n;
}

void saveScreenshot(QWidget& window, const char* name)
{
    if (const char* dir = std::getenv("RECORA_SCREENSHOTS"); dir && *dir)
        window.grab().save(QString::fromUtf8(dir) + "/" + name);
}

class RecoraWindow : public CamSimFixture {
protected:
    void SetUp() override
    {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("RECORA_ANSWER_BOXES", "1", 1);
        m_app = std::make_unique<QApplication>(m_argc, m_argv);
        CoInitialize(nullptr);
        const std::string bin = fs::canonical("/proc/self/exe").parent_path().string();
        std::string detail;
        for (const char* library : {"/Lumin.so", "/Medrix.so"})
            ASSERT_EQ(registerServerLibrary(bin + library, false, &detail), S_OK) << detail;
        m_dir = m_root.path() + "/rec";
        fs::create_directories(m_dir);
        m_process = std::make_unique<RecorderProcess>();
    }
    void TearDown() override
    {
        m_process.reset();
        CoUninitialize();
        CamSimFixture::TearDown();
        m_app.reset();
    }
    bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = 20s)
    {
        return waitUntil(condition, limit, [] { QCoreApplication::processEvents(); });
    }
    HRESULT start(LONG interval, UI4 duration)
    {
        camsim::CamSimConfig config;
        config.fps = 25;
        camsim::CamSim* camera = startCamera(config);
        if (!camera)
            return E_FAIL;
        RecorderProcess::StartRequest request;
        request.url = camera->url(camera->videoPath(1, "320x240"));
        request.name = "Entrance";
        request.directory = m_dir;
        request.prefix = "Door";
        request.interval = interval;
        request.duration = duration;
        request.maxSize = 0xFFFFFFFF;
        return m_process->start(request);
    }

    int m_argc = 1;
    char m_name[16] = "recora_window";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
    TempStateRoot m_root;
    std::string m_dir;
    std::unique_ptr<RecorderProcess> m_process;
};

QColor pixel(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

bool rowHas(const QImage& image, int y0, int y1, QColor colour)
{
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

} // namespace

TEST_F(RecoraWindow, LayoutLampAndStopButtonWhileRecording)
{
    ASSERT_EQ(start(100, 600), S_OK);
    StatusWindow* window = m_process->window();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), "Recora");
    EXPECT_EQ(window->size(), QSize(169, 159));
    EXPECT_EQ(window->frameView()->geometry(), QRect(5, 5, 159, 119));
    EXPECT_EQ(window->stopButton()->geometry(), QRect(65, 145, 40, 10));
    // Top right of the screen.
    const QRect screen = window->screen()->geometry();
    EXPECT_EQ(window->frameGeometry().right(), screen.right());
    EXPECT_EQ(window->frameGeometry().top(), screen.top());

    ASSERT_TRUE(waitFor([&] { return jpegCount(m_dir) >= 4; }));
    ASSERT_TRUE(
        waitFor([&] { return m_process->context().statusText() == "Recording, Entrance"; }));
    EXPECT_TRUE(window->blinkTimerOn());
    EXPECT_TRUE(window->stopButton()->isEnabled());
    EXPECT_FALSE(window->frameView()->isBlank());
    // The lamp blinks: two repaints show the lit and the dark face in turn.
    std::set<unsigned> faces;
    ASSERT_TRUE(waitFor(
        [&] {
            faces.insert(window->stopButton()->lastFace());
            return faces.count(recora::kBitmapLampLit) && faces.count(recora::kBitmapLampDark);
        },
        5s));

    const QImage recording = window->grab().toImage();
    saveScreenshot(*window, "recording.png");
    EXPECT_EQ(pixel(recording, 0, 0), QColor(128, 128, 128));
    EXPECT_EQ(pixel(recording, 168, 158), QColor(128, 128, 128));
    EXPECT_EQ(pixel(recording, 4, 4), QColor(0, 0, 0));
    EXPECT_EQ(pixel(recording, 4, 124), QColor(0, 0, 0));
    // The image area covers the frame's right and bottom edges, as the layout always had it.
    EXPECT_EQ(pixel(recording, 164, 124), QColor(192, 192, 192));
    EXPECT_EQ(pixel(recording, 164, 60), QColor(192, 192, 192));   // image area beside the view
    EXPECT_NE(pixel(recording, 80, 60), QColor(192, 192, 192));    // the live image
    EXPECT_TRUE(rowHas(recording, 130, 144, QColor(255, 255, 0))); // yellow status line
    EXPECT_TRUE(rowHas(recording, 131, 145, QColor(0, 0, 0)));     // and its shadow

    // Held down it shows the pressed face; released, the click stops the recording.
    StopButton* button = window->stopButton();
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(20, 5));
    button->repaint();
    EXPECT_EQ(button->lastFace(), recora::kBitmapPressed);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(20, 5));
    ASSERT_TRUE(waitFor([&] { return m_process->context().statusText() == "Stopped, Entrance"; }));
    ASSERT_TRUE(waitFor([&] { return !button->isEnabled(); }));
    EXPECT_TRUE(button->isOff());
    EXPECT_FALSE(window->blinkTimerOn());
    button->repaint();
    EXPECT_EQ(button->lastFace(), recora::kBitmapLampDark);
    EXPECT_TRUE(window->frameView()->isBlank());

    std::vector<fs::path> sequences;
    for (const auto& entry : fs::directory_iterator(m_dir))
        if (entry.path().extension() == ".sqj")
            sequences.push_back(entry.path());
    ASSERT_EQ(sequences.size(), 1u);
    const SequenceContents contents = readSequence(sequences[0]);
    ASSERT_TRUE(contents.isGood()); // finalized: the recorder no longer holds it
    EXPECT_EQ(contents.framePaths.size(), jpegCount(m_dir));
    EXPECT_EQ(contents.header.frameInterval, 100u);
    // Nothing more is written once stopped.
    const std::size_t frames = jpegCount(m_dir);
    QTest::qWait(300); // ticks that would have come: the assertion is that none did
    EXPECT_EQ(jpegCount(m_dir), frames);

    window->update();
    QCoreApplication::processEvents();
    const QImage stopped = window->grab().toImage();
    saveScreenshot(*window, "stopped.png");
    EXPECT_EQ(pixel(stopped, 80, 60), QColor(192, 192, 192)); // blank again
}

TEST_F(RecoraWindow, StartWithoutDirectoryIsInvalidAndShowsStopped)
{
    camsim::CamSim* camera = startCamera();
    ASSERT_TRUE(camera);
    RecorderProcess::StartRequest request;
    request.url = camera->url(camera->videoPath(1, "320x240"));
    request.name = "Entrance";
    request.prefix = "Door";
    request.interval = 100;
    request.duration = 10;
    request.maxSize = 1000;
    EXPECT_EQ(m_process->start(request), E_INVALIDARG);
    ASSERT_TRUE(m_process->window());
    EXPECT_EQ(m_process->context().statusText(), "Stopped, Entrance");
    EXPECT_TRUE(waitFor([&] { return !m_process->window()->stopButton()->isEnabled(); }));
    EXPECT_TRUE(fs::is_empty(m_dir));
}
