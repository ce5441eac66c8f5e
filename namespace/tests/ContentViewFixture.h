#pragma once
// A content item's view hosted by the real browser window, as a user opens it: the client and
// media libraries registered in a fresh state root, this program's own build of the folder
// class, and items in the object file pointing at simulated cameras on addresses of their own.
// Serves the single, quad and switch views' tests.

#include "hosts/browser/BrowserWindow.h"
#include "namespace/tests/FolderFixture.h"
#include "testsupport/CamSimFixture.h"
#include "testsupport/WaitUntil.h"

#include <QApplication>
#include <QImage>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

class ContentViewFixture : public FolderFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts a simulated camera of model (its default firmware); it stops in TearDown.
    camsim::CamSim* startCamera(const std::string& model = "OC30",
                                camsim::CamSimConfig config = {});
    // A Camera item for the camera: with the camera's model and firmware when stored, so the
    // view takes its target without identification; else it is identified by its greeting.
    void addCameraItem(const std::string& name, const camsim::CamSim& camera,
                       const std::string& resolution = "640x480", bool storeModel = true);
    // A QuadView or SwitchCam item of these members.
    void addGroupItem(const std::string& name, foldra::ItemKind kind,
                      const std::vector<std::string>& members, std::uint32_t displayTimeMs = 5000,
                      const std::string& user = {}, const std::string& password = {});
    // Opens the item in the browser; false when the browser refused.
    bool openItem(const std::string& name);
    // The window of the view the browser shows, as W; null when it is another.
    template <typename W> W* viewWidget() const
    {
        return dynamic_cast<W*>(reinterpret_cast<QWidget*>(m_window->viewWindow()));
    }

    template <typename Pred> bool waitFor(Pred pred, std::chrono::milliseconds limit)
    {
        return waitUntil(pred, limit,
                         [] { QApplication::processEvents(QEventLoop::AllEvents, 5); });
    }
    // With ORVEL_SCREENSHOT_DIR set, saves the browser window there as name.png (for looking
    // at the views; no assertion depends on it).
    void screenshot(const std::string& name) const;
    // The view window's pixels as the user sees them.
    QImage grabView() const;

    std::unique_ptr<browser::BrowserWindow> m_window;
    std::vector<std::unique_ptr<camsim::CamSim>> m_cameras;
    DWORD m_cookie = 0;
};

// Pixels of exactly this colour inside rect of image.
int countColour(const QImage& image, const QRect& rect, QRgb colour);
