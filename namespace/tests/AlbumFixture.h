#pragma once
// The album view in the real browser window: an Album item over a folder of this test's own,
// the image object registered for thumbnails, and this program serving its own build of the
// folder class.

#include "hosts/browser/BrowserWindow.h"
#include "namespace/album/AlbumViewWidget.h"
#include "namespace/tests/FolderFixture.h"

#include <memory>
#include <string>
#include <vector>

class AlbumFixture : public FolderFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the album item in the browser and waits for its first fill.
    void openAlbum(const std::string& name = "Holiday");
    foldra::AlbumViewWidget* album() const;
    std::vector<std::string> shownNames() const;
    std::string file(const std::string& name) const { return m_folder + "/" + name; }
    // Small real JPEGs; the modification time set when given (seconds since the epoch).
    void writeImage(const std::string& name, long long mtime = 0, int size = 32);
    // Runs a command and lets the event loop settle.
    void run(UINT id);
    static void spin();

    std::string m_folder;
    std::unique_ptr<browser::BrowserWindow> m_window;
    DWORD m_cookie = 0;
};
