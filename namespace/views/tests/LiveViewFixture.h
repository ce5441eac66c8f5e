#pragma once
// A live view hosted by the real browser window, as a user opens it: the client and media
// libraries registered in a fresh state root, this program's own build of the folder class,
// a camera item in the object file pointing at a simulated camera on its own address.

#include "hosts/browser/BrowserWindow.h"
#include "namespace/tests/FolderFixture.h"
#include "namespace/views/CamCameraView.h"
#include "testsupport/CamSimFixture.h"
#include "testsupport/WaitUntil.h"

#include <QApplication>
#include <chrono>
#include <memory>

class LiveViewFixture : public FolderFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts a simulated camera of model (its default firmware) at fps.
    camsim::CamSim* startCamera(const std::string& model, camsim::CamSimConfig config = {});
    // A Camera item for the camera: with the camera's model and firmware when stored, so the
    // view takes its target without identification.
    void addCameraItem(const std::string& name, const camsim::CamSim& camera,
                       const std::string& resolution, bool storeModel = true);
    // Opens the item's folder in the browser; the live view it shows, or null.
    foldra::CamCameraView* open(const std::string& name);
    // The view's client area made width x height (scroll bars, when shown, outside it).
    void sizeClient(foldra::CamCameraView* view, int width, int height);

    template <typename Pred> bool waitFor(Pred pred, std::chrono::milliseconds limit)
    {
        return waitUntil(pred, limit,
                         [] { QApplication::processEvents(QEventLoop::AllEvents, 5); });
    }
    // With ORVEL_SCREENSHOT_DIR set, saves the browser window there as name.png (for looking
    // at the views; no assertion depends on it).
    void screenshot(const std::string& name);
    // Waits until the view shows an image of the given size.
    bool waitForImage(foldra::CamCameraView* view, int width, int height);

    std::unique_ptr<browser::BrowserWindow> m_window;
    std::vector<std::unique_ptr<camsim::CamSim>> m_cameras;
    DWORD m_cookie = 0;
};
