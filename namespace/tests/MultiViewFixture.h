#pragma once
// The browser window with the namespace's own build of CamFolder, the client and media
// libraries registered, and simulated cameras on loopback addresses of their own: for the quad
// and switch views, opened in the browser as a user opens them.

#include "hosts/browser/BrowserWindow.h"
#include "namespace/tests/FolderFixture.h"
#include "tools/camsim/CamSim.h"

#include <QImage>
#include <memory>
#include <string>
#include <vector>

class MultiViewFixture : public FolderFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // A camera with the given faults, 640 x 480 OC30; stops in TearDown.
    camsim::CamSim* startCamera(camsim::CamSimConfig config = {});
    // A Camera item for cam; withModel: the stored model (GetTarget), else identified.
    void addCameraItem(const std::string& name, const camsim::CamSim& cam, bool withModel = true);
    void addGroupItem(const std::string& name, foldra::ItemKind kind,
                      const std::vector<std::string>& members, std::uint32_t displayTimeMs = 5000,
                      const std::string& user = {}, const std::string& password = {});
    // Opens the item's view in the browser; false when the browser refused.
    bool open(const std::string& itemName);
    template <typename W> W* viewWidget() const
    {
        return qobject_cast<W*>(reinterpret_cast<QWidget*>(m_window->viewWindow()));
    }
    // Saves a picture of the browser window when ORVEL_SCREENSHOT_DIR is set.
    void screenshot(const std::string& name) const;
    // The window's pixels as the user sees them.
    QImage grabView() const;

    std::unique_ptr<browser::BrowserWindow> m_window;
    std::vector<std::unique_ptr<camsim::CamSim>> m_cameras;
    DWORD m_cookie = 0;
};

// Pixels of exactly this colour inside rect of image.
int countColour(const QImage& image, const QRect& rect, QRgb colour);
