#include "namespace/tests/AlbumFixture.h"

#include "common/FoldraClasses.h"
#include "namespace/server/Registration.h"
#include "platform/com/ClassRegistration.h"
#include "platform/com/Runtime.h"
#include "platform/shell/CommandEvent.h"
#include "testsupport/WaitUntil.h"
#include "viewer/tests/ViewerTestFiles.h"

#include <QApplication>
#include <filesystem>
#include <sys/time.h>

using namespace foldra;
using namespace std::chrono_literals;

namespace {

std::string binFolder()
{
    return std::filesystem::canonical("/proc/self/exe").parent_path().string();
}

} // namespace

void AlbumFixture::SetUp()
{
    FolderFixture::SetUp();
    std::string detail;
    ASSERT_EQ(registerServerLibrary(binFolder() + "/Medrix.so", false, &detail), S_OK) << detail;
    ASSERT_EQ(registerServer("/nonexistent/Foldra.so"), S_OK);
    ASSERT_EQ(serveOwnFolderClass(&m_cookie), S_OK);
    m_folder = m_root.path() + "/Album";
    std::filesystem::create_directories(m_folder);
    createItem("Holiday", ItemKind::Album, m_folder);
    m_window = std::make_unique<browser::BrowserWindow>();
    m_window->resize(900, 600);
    m_window->show();
}

void AlbumFixture::TearDown()
{
    m_window.reset();
    CoRevokeClassObject(m_cookie);
    FolderFixture::TearDown();
}

void AlbumFixture::spin()
{
    QApplication::processEvents();
}

void AlbumFixture::openAlbum(const std::string& name)
{
    ASSERT_EQ(m_window->browseToPath("Network Cameras", QString::fromStdString(name)), S_OK);
    ASSERT_TRUE(album()) << "the album's own view";
    ASSERT_TRUE(waitUntil(
        [&] {
            spin();
            return album()->filled();
        },
        5s));
}

AlbumViewWidget* AlbumFixture::album() const
{
    auto* widget = reinterpret_cast<QWidget*>(m_window->viewWindow());
    return qobject_cast<AlbumViewWidget*>(widget);
}

std::vector<std::string> AlbumFixture::shownNames() const
{
    std::vector<std::string> names;
    for (int row = 0; row < album()->itemCount(); ++row)
        names.push_back(album()->rowText(row).toStdString());
    return names;
}

void AlbumFixture::writeImage(const std::string& name, long long mtime, int size)
{
    ASSERT_TRUE(vistel::test::writeSolidJpeg(file(name), size, size, {200, 40, 40}));
    if (mtime) {
        timeval times[2] = {{static_cast<time_t>(mtime), 0}, {static_cast<time_t>(mtime), 0}};
        ASSERT_EQ(::utimes(file(name).c_str(), times), 0);
    }
}

void AlbumFixture::run(UINT id)
{
    ASSERT_TRUE(sendCommand(m_window->viewWindow(), id));
    spin();
}
