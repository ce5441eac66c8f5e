// AVI creation in the viewer window: SetSequenceCreateAVI then SetUserCtrl, with the dialogs'
// answers scripted, a real AVI thread, real frame files and the movie read back by ffprobe.

#include "viewer/app/AviDialogs.h"
#include "viewer/app/ControlBar.h"
#include "viewer/app/MainFrame.h"
#include "viewer/app/VistelApp.h"
#include "viewer/app/VistelDoc.h"
#include "viewer/tests/ViewerQtEnvironment.h"
#include "viewer/tests/ViewerTestFiles.h"

#include <QAction>
#include <QLabel>
#include <QSlider>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using namespace vistel;
using namespace vistel::test;

// What the user answers; every question and message is recorded.
struct ScriptedDialogs final : AviDialogs {
    std::optional<std::string> file;   // nullopt: the save dialog is cancelled
    std::optional<std::string> fourcc; // nullopt: the compressor dialog is cancelled
    std::string proposed;
    int compressorAsks = 0;
    std::vector<QString> failures;

    std::optional<std::string> chooseOutputFile(QWidget*, const std::string& name) override
    {
        proposed = name;
        return file;
    }
    std::optional<CompressorChoice>
    chooseCompressor(QWidget*, const std::vector<VideoCompressor>& compressors) override
    {
        ++compressorAsks;
        if (!fourcc)
            return std::nullopt;
        const VideoCompressor* c = findCompressor(compressors, *fourcc);
        return c ? std::optional<CompressorChoice>(CompressorChoice{*c, {}}) : std::nullopt;
    }
    void showFailure(QWidget*, const QString& text) override { failures.push_back(text); }
};

struct AviCreationWindow : ::testing::Test {
    void SetUp() override
    {
        if (!haveFfmpeg())
            GTEST_SKIP() << "ffmpeg not installed";
        // Not a state root of its own: the environment's has the image objects registered.
        base = std::filesystem::temp_directory_path() /
               ("vistel-avi-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(base);
        folder = (base / "rec").string();
        std::filesystem::create_directories(folder);
        app = std::make_unique<CVistelApp>();
        auto d = std::make_unique<ScriptedDialogs>();
        dialogs = d.get();
        dialogs->file = (base / "movie.avi").string();
        dialogs->fourcc = "DIB ";
        app->setAviDialogs(std::move(d));
        QObject::connect(app->frame(), &CMainFrame::closed, [this] { closed = true; });
    }
    void TearDown() override
    {
        app.reset();
        std::error_code ec;
        std::filesystem::remove_all(base, ec);
    }

    std::string sequence(int count, int width = 160, int height = 120)
    {
        auto names = writeFrames(folder, count, width, height);
        EXPECT_TRUE(writeSequenceFile(folder + "/seq.sqj", "sq11", 40, names));
        return folder + "/seq.sqj";
    }
    // Creates the movie as the album asks for it and waits for the viewer to close itself.
    void create(const std::string& seq)
    {
        ASSERT_EQ(app->document()->SetSequenceCreateAVI(seq), S_OK);
        EXPECT_FALSE(app->frame()->command(32771)->isEnabled()); // Play
        EXPECT_TRUE(app->frame()->command(32772)->isEnabled());  // Stop
        app->SetUserCtrl();
        ASSERT_TRUE(processUntil(60s, [&] { return closed; }));
        EXPECT_FALSE(app->isCreatingAvi());
    }
    std::string movie() const { return *dialogs->file; }

    std::filesystem::path base;
    std::string folder;
    std::unique_ptr<CVistelApp> app;
    ScriptedDialogs* dialogs = nullptr;
    bool closed = false;
};

TEST_F(AviCreationWindow, WritesEveryFrameShowsProgressAndClosesTheViewer)
{
    create(sequence(4));
    EXPECT_EQ(dialogs->proposed, folder + "/f0");
    EXPECT_EQ(dialogs->compressorAsks, 1);
    EXPECT_TRUE(dialogs->failures.empty());
    EXPECT_EQ(probeVideo(movie()), "codec_tag_string=[0][0][0][0]\nwidth=160\nheight=120\n"
                                   "r_frame_rate=25/1\nnb_read_frames=4\n");
    EXPECT_EQ(app->frame()->statusPane()->text(), QStringLiteral("Creating AVI..."));
    EXPECT_EQ(app->frame()->controlBar()->slider()->value(), 3);
}

TEST_F(AviCreationWindow, AMissingThirdFrameLeavesATwoFrameMovieAndTheMessage)
{
    const std::string seq = sequence(5);
    std::filesystem::remove(folder + "/f2.jpg");
    dialogs->fourcc = "MJPG";
    create(seq);
    ASSERT_EQ(dialogs->failures.size(), 1u);
    EXPECT_EQ(dialogs->failures[0], QStringLiteral("Create AVI failed"));
    EXPECT_NE(probeVideo(movie()).find("nb_read_frames=2\n"), std::string::npos);
}

// A frame file that is a named pipe must not hang the thread: the movie ends before it, with
// the message and a line naming the file.
TEST_F(AviCreationWindow, AFrameThatIsANamedPipeEndsTheMovieWithoutHanging)
{
    const std::string seq = sequence(5);
    std::filesystem::remove(folder + "/f2.jpg");
    ASSERT_EQ(::mkfifo((folder + "/f2.jpg").c_str(), 0600), 0);
    dialogs->fourcc = "MJPG";
    ::testing::internal::CaptureStderr();
    create(seq);
    std::string said = ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(dialogs->failures.size(), 1u);
    EXPECT_EQ(dialogs->failures[0], QStringLiteral("Create AVI failed"));
    EXPECT_NE(probeVideo(movie()).find("nb_read_frames=2\n"), std::string::npos);
    EXPECT_NE(said.find(folder + "/f2.jpg"), std::string::npos) << said;
}

// The last frame is always decoded for the view, so a folder there fails in that path.
TEST_F(AviCreationWindow, ALastFrameThatIsAFolderEndsTheMovieWithTheMessage)
{
    const std::string seq = sequence(3);
    std::filesystem::remove(folder + "/f2.jpg");
    std::filesystem::create_directory(folder + "/f2.jpg");
    ::testing::internal::CaptureStderr();
    create(seq);
    const std::string said = ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(dialogs->failures.size(), 1u);
    EXPECT_NE(probeVideo(movie()).find("nb_read_frames=2\n"), std::string::npos);
    EXPECT_NE(said.find("cannot read frame " + folder + "/f2.jpg"), std::string::npos) << said;
}

TEST_F(AviCreationWindow, ACancelledCompressorDialogFailsAndWritesNoFile)
{
    dialogs->fourcc.reset();
    create(sequence(3));
    ASSERT_EQ(dialogs->failures.size(), 1u);
    EXPECT_EQ(dialogs->failures[0], QStringLiteral("Create AVI failed"));
    EXPECT_FALSE(std::filesystem::exists(movie()));
}

TEST_F(AviCreationWindow, ACancelledSaveDialogClosesQuietly)
{
    const std::string wouldBe = movie();
    dialogs->file.reset();
    ASSERT_EQ(app->document()->SetSequenceCreateAVI(sequence(3)), S_OK);
    app->SetUserCtrl();
    ASSERT_TRUE(processUntil(60s, [&] { return closed; }));
    EXPECT_TRUE(dialogs->failures.empty());
    EXPECT_EQ(dialogs->compressorAsks, 0);
    EXPECT_FALSE(std::filesystem::exists(wouldBe));
}

TEST_F(AviCreationWindow, ClosingTheViewerAtFrameTenKeepsTheFramesWrittenWithoutAMessage)
{
    const std::string seq = sequence(100, 640, 480);
    QObject::connect(app->frame()->controlBar()->slider(), &QSlider::valueChanged,
                     [this](int position) {
                         if (position == 10 && !closed)
                             app->frame()->close();
                     });
    create(seq);
    EXPECT_TRUE(dialogs->failures.empty());
    const std::string probe = probeVideo(movie());
    const std::size_t at = probe.find("nb_read_frames=");
    ASSERT_NE(at, std::string::npos) << probe;
    const int frames = std::stoi(probe.substr(at + 15));
    EXPECT_GE(frames, 10);
    EXPECT_LT(frames, 100);
}

} // namespace
