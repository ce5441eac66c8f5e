// The album view as a user meets it in the browser: what the fill shows, the thumbnails, the
// commands of menu 209 with their enable rules, and what they do to the files.
#include "namespace/album/AlbumArtwork.h"
#include "namespace/album/AlbumCommands.h"
#include "namespace/album/FrameRateDialog.h"
#include "namespace/folder/CamFolder.h"
#include "namespace/tests/AlbumFixture.h"
#include "namespace/tests/DialogScript.h"
#include "platform/shell/ShellExecute.h"
#include "platform/shell/ShellMenu.h"
#include "recorder/sequence/SequenceReader.h"
#include "testsupport/WaitUntil.h"
#include "viewer/tests/ViewerTestFiles.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>

using namespace foldra;
using namespace std::chrono_literals;
using ::testing::ElementsAre;
using vistel::test::writeSequenceFile;

namespace {

bool exists(const std::string& path)
{
    return std::filesystem::exists(path);
}

QRgb pixel(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFFu;
}

} // namespace

class AlbumViewTest : public AlbumFixture {};

TEST_F(AlbumViewTest, ShowsSequencesAndTheImagesNoSequenceOwns)
{
    writeImage("walk1.jpg");
    writeImage("Walk2.jpg");
    writeImage("lone.jpg");
    writeImage("kept.jpg");
    // The sequence names its images in other letter cases: they are still its own.
    ASSERT_TRUE(writeSequenceFile(file("walk.sqj"), "sq11", 200, {"WALK1.JPG", "walk2.JPG"}));
    // Neither an empty sequence nor a foreign file is listed, and neither owns an image.
    ASSERT_TRUE(writeSequenceFile(file("empty.sqj"), "sq11", 200, {}));
    ASSERT_TRUE(writeSequenceFile(file("foreign.sqj"), "xx11", 200, {"kept.jpg"}));
    std::filesystem::create_directory(file("folder.jpg"));
    openAlbum();

    EXPECT_THAT(shownNames(), ElementsAre("kept.jpg", "lone.jpg", "walk.sqj"));
    EXPECT_EQ(m_window->statusText(), "3 items");
    EXPECT_TRUE(m_questions.empty());

    // Large icons: 100 x 75 thumbnails. A sequence shows its first frame under the film strip,
    // an image sits inside a white 2-pixel margin.
    const QImage sequence = album()->rowThumbnail(2);
    ASSERT_EQ(sequence.size(), QSize(100, 75));
    EXPECT_EQ(pixel(sequence, 4, 1), pixel(sequenceOverlayBitmap(), 4, 1)) << "strip on top";
    EXPECT_NEAR(qRed(sequence.pixel(50, 20)), 200, 12) << "the frame shows through the cyan";
    const QImage image = album()->rowThumbnail(0);
    EXPECT_EQ(pixel(image, 1, 1), 0xFFFFFFu);
    EXPECT_NEAR(qRed(image.pixel(50, 37)), 200, 12);
    EXPECT_NEAR(qGreen(image.pixel(50, 37)), 40, 12);

    m_window->grab().save(
        QString::fromStdString(vistel::test::screenshotFolder() + "/album-large-icons.png"));

    // The other modes make the thumbnails anew at 50 x 38.
    run(IDM_VIEW_SMALLICONS);
    EXPECT_EQ(album()->rowThumbnail(0).size(), QSize(50, 38));
    run(IDM_VIEW_DETAILS);
    EXPECT_EQ(album()->rowThumbnail(2).size(), QSize(50, 38));
    EXPECT_EQ(album()->itemCount(), 3);
}

TEST_F(AlbumViewTest, DecodesTheFirst75ImagesAndShowsThePlaceholderForTheRest)
{
    for (int i = 0; i < 77; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "img%03d.jpg", i);
        writeImage(name, 0, 8);
    }
    openAlbum();
    ASSERT_EQ(album()->itemCount(), 77);
    const QImage placeholder = placeholderBitmap(kLargeThumbnail);
    EXPECT_NE(album()->rowThumbnail(74), placeholder);
    EXPECT_EQ(album()->rowThumbnail(75), placeholder);
    EXPECT_EQ(album()->rowThumbnail(76), placeholder);
    EXPECT_EQ(m_window->statusText(), "77 items");
}

TEST_F(AlbumViewTest, MissingOrFileDirectoriesSayWhyTheListIsEmpty)
{
    createItem("Gone", ItemKind::Album, m_root.path() + "/nowhere");
    std::ofstream(m_root.path() + "/plain").put('x');
    createItem("Plain", ItemKind::Album, m_root.path() + "/plain");
    openAlbum("Gone");
    EXPECT_EQ(album()->itemCount(), 0);
    openAlbum("Plain");
    EXPECT_THAT(takeMessages(),
                ElementsAre("The directory " + m_root.path() + "/nowhere does not exist.",
                            m_root.path() + "/plain is not a directory."));
}

TEST_F(AlbumViewTest, CommandsAreEnabledByTheFirstSelectedItem)
{
    writeImage("a.jpg");
    writeImage("b.jpg");
    ASSERT_TRUE(writeSequenceFile(file("s.sqj"), "sq11", 100, {"c.jpg"}));
    openAlbum();
    QMenu* fileMenu = findSubMenu(menuHandle(m_window->menuBar()), FCIDM_MENU_FILE);
    ASSERT_TRUE(fileMenu);
    auto enabled = [&] {
        emit fileMenu->aboutToShow(); // the entries are greyed as the menu opens
        std::string flags;
        for (UINT id : {IDM_ALBUM_VIEW, IDM_ALBUM_OPEN, IDM_CREATE_SEQUENCE, IDM_SPLIT_SEQUENCE,
                        IDM_CHANGE_FRAME_RATE, IDM_CREATE_AVI, IDM_DELETE}) {
            QAction* action = findMenuItem(menuHandle(fileMenu), id);
            flags += !action ? '?' : action->isEnabled() ? '1' : '0';
        }
        return flags;
    };
    EXPECT_EQ(enabled(), "0000000") << "nothing selected";
    album()->selectByName("a.jpg", false);
    EXPECT_EQ(enabled(), "1100001");
    album()->selectByName("b.jpg", true);
    EXPECT_EQ(enabled(), "1110001");
    album()->selectByName("s.sqj", false);
    EXPECT_EQ(enabled(), "1001111");
    album()->selectByName("a.jpg", true);
    EXPECT_EQ(enabled(), "1110001") << "the first in list order counts";

    // Select all takes every item; a greyed command does nothing.
    run(IDM_SELECT_ALL);
    EXPECT_EQ(album()->selectedPaths().size(), 3u);
    album()->selectByName("a.jpg", false);
    run(IDM_SPLIT_SEQUENCE);
    EXPECT_TRUE(exists(file("s.sqj")));

    // Open hands the image to the desktop's program.
    std::vector<std::string> opened;
    setDocumentLauncher([&](const std::string& target) {
        opened.push_back(target);
        return true;
    });
    run(IDM_ALBUM_OPEN);
    setDocumentLauncher({});
    EXPECT_THAT(opened, ElementsAre(file("a.jpg")));
}

TEST_F(AlbumViewTest, CreateSequenceTakesItsIntervalFromTheImagesTimes)
{
    struct Case {
        const char* prefix;
        int count;
        int spanSeconds;
        UI4 interval;
    };
    // Ten over 9 s: 10 / 9 + 1 = 2 a second; thirty over 3 s: 11 a second; five at one time
    // count as a span of 1 s: 6 a second.
    const Case cases[] = {{"ten", 10, 9, 500}, {"thirty", 30, 3, 90}, {"five", 5, 0, 166}};
    const long long base = 1'700'000'000;
    for (const Case& c : cases)
        for (int i = 0; i < c.count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "%s%02d.jpg", c.prefix, i);
            writeImage(name, base + (c.count > 1 ? c.spanSeconds * i / (c.count - 1) : 0), 8);
        }
    openAlbum();
    for (const Case& c : cases) {
        album()->selectByName(QString("%1%2.jpg").arg(c.prefix).arg(0, 2, 10, QChar('0')), false);
        for (int i = 1; i < c.count; ++i)
            album()->selectByName(QString("%1%2.jpg").arg(c.prefix).arg(i, 2, 10, QChar('0')),
                                  true);
        run(IDM_CREATE_SEQUENCE);
        const std::string sequence = file(std::string(c.prefix) + "00.sqj");
        SequenceContents contents = readSequence(sequence);
        ASSERT_TRUE(contents.isGood()) << c.prefix;
        EXPECT_EQ(contents.header.frameCount, static_cast<UI4>(c.count)) << c.prefix;
        EXPECT_EQ(contents.header.frameInterval, c.interval) << c.prefix;
    }
    // The images went behind their new sequences.
    EXPECT_THAT(shownNames(), ElementsAre("five00.sqj", "ten00.sqj", "thirty00.sqj"));
}

TEST_F(AlbumViewTest, ChangeFrameRateOffersTheRateInItsUnitAndWritesTheNewInterval)
{
    ASSERT_TRUE(writeSequenceFile(file("slow.sqj"), "sq11", 2000, {"a.jpg"}));
    ASSERT_TRUE(writeSequenceFile(file("slower.sqj"), "sq11", 7000, {"b.jpg"}));
    openAlbum();

    struct Shown {
        std::string text;
        std::string unit;
    };
    auto checkedUnit = [](QDialog* d) {
        for (const char* id : {"222", "223", "224"})
            if (d->findChild<QRadioButton*>(id)->isChecked())
                return std::string(id);
        return std::string("none");
    };
    std::vector<Shown> shown;
    // 2000 ms: 0.5 a second, 30 a minute. 7000 ms: 8.57 a minute, so 514 an hour.
    for (const char* name : {"slow.sqj", "slower.sqj"}) {
        album()->selectByName(name, false);
        onDialog<FrameRateDialog>([&](FrameRateDialog* d) {
            shown.push_back({d->rate()->text().toStdString(), checkedUnit(d)});
            d->reject();
        });
        run(IDM_CHANGE_FRAME_RATE);
    }
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "30");
    EXPECT_EQ(shown[0].unit, "223");
    EXPECT_EQ(shown[1].text, "514");
    EXPECT_EQ(shown[1].unit, "224");
    EXPECT_EQ(readSequence(file("slower.sqj")).header.frameInterval, 7000u) << "Cancel";

    // A value that is no number keeps the dialog open with 1014; 4 a second is 250 ms.
    album()->selectByName("slower.sqj", false);
    bool stayedOpen = false;
    onDialog<FrameRateDialog>([&](FrameRateDialog* d) {
        d->rate()->edit()->setText("4x");
        d->accept();
        stayedOpen = d->isVisible();
        d->rate()->edit()->setText("4");
        d->findChild<QRadioButton*>("222")->setChecked(true);
        d->accept();
    });
    run(IDM_CHANGE_FRAME_RATE);
    EXPECT_TRUE(stayedOpen);
    EXPECT_THAT(takeMessages(), ElementsAre("4x is not a valid frame rate."));
    EXPECT_EQ(readSequence(file("slower.sqj")).header.frameInterval, 250u);
}

TEST_F(AlbumViewTest, DeleteTakesASequencesImagesWithItAndSplitKeepsThem)
{
    for (const char* name : {"a1.jpg", "a2.jpg", "b1.jpg", "b2.jpg", "c.jpg"})
        writeImage(name);
    ASSERT_TRUE(writeSequenceFile(file("a.sqj"), "sq11", 100, {"a1.jpg", "a2.jpg"}));
    ASSERT_TRUE(writeSequenceFile(file("b.sqj"), "sq11", 100, {"b1.jpg", "b2.jpg"}));
    openAlbum();
    EXPECT_THAT(shownNames(), ElementsAre("a.sqj", "b.sqj", "c.jpg"));

    album()->selectByName("b.sqj", false);
    run(IDM_SPLIT_SEQUENCE);
    EXPECT_FALSE(exists(file("b.sqj")));
    EXPECT_THAT(shownNames(), ElementsAre("a.sqj", "b1.jpg", "b2.jpg", "c.jpg"));

    album()->selectByName("a.sqj", false);
    album()->selectByName("c.jpg", true);
    m_answer = IDNO;
    run(IDM_DELETE);
    EXPECT_THAT(takeMessages(),
                ElementsAre("Are you sure you want to delete the selected file(s)?\n\nWhen you "
                            "delete sequences, all the images included in the sequence will be "
                            "deleted as well."));
    EXPECT_EQ(m_questions.size(), 0u);
    EXPECT_TRUE(exists(file("a.sqj")) && exists(file("a1.jpg")) && exists(file("c.jpg")));

    m_answer = IDYES;
    run(IDM_DELETE);
    for (const char* gone : {"a.sqj", "a1.jpg", "a2.jpg", "c.jpg"})
        EXPECT_FALSE(exists(file(gone))) << gone;
    EXPECT_THAT(shownNames(), ElementsAre("b1.jpg", "b2.jpg"));
    EXPECT_EQ(m_window->statusText(), "2 items");
}

TEST_F(AlbumViewTest, AHostileSequenceDeletesNothingOutsideTheAlbum)
{
    const std::string outside = m_root.path() + "/outside.jpg";
    ASSERT_TRUE(vistel::test::writeSolidJpeg(outside, 8, 8, {1, 2, 3}));
    std::filesystem::create_directory(file("sub"));
    ASSERT_TRUE(vistel::test::writeSolidJpeg(file("sub/inner.jpg"), 8, 8, {1, 2, 3}));
    writeImage("own.jpg");
    std::ofstream(file("notes.txt")).put('x');
    // Relative escape, absolute path elsewhere, a subfolder, a file that is no image, and
    // one image of its own after the damage.
    ASSERT_TRUE(writeSequenceFile(file("up.sqj"), "sq11", 100, {"own.jpg", "../outside.jpg"}));
    ASSERT_TRUE(writeSequenceFile(file("abs.sqj"), "sq10", 100, {outside}));
    ASSERT_TRUE(writeSequenceFile(file("sub.sqj"), "sq11", 100, {"sub/inner.jpg", "notes.txt"}));
    openAlbum();
    run(IDM_SELECT_ALL);
    run(IDM_DELETE);
    for (const char* gone : {"up.sqj", "abs.sqj", "sub.sqj", "own.jpg"})
        EXPECT_FALSE(exists(file(gone))) << gone;
    EXPECT_TRUE(exists(outside));
    EXPECT_TRUE(exists(file("sub/inner.jpg")));
    EXPECT_TRUE(exists(file("notes.txt")));
}
