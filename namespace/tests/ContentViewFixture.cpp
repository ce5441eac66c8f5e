#include "namespace/tests/ContentViewFixture.h"

#include "common/FoldraClasses.h"
#include "namespace/folder/CamFolder.h"
#include "namespace/server/Registration.h"
#include "platform/com/Runtime.h"
#include "testsupport/RegisteredLibraries.h"

using namespace foldra;

void ContentViewFixture::SetUp()
{
    FolderFixture::SetUp();
    std::string error;
    ASSERT_TRUE(registerTestLibraries({"Lumin.so", "Medrix.so"}, &error)) << error;
    ASSERT_EQ(registerServer("/nonexistent/Foldra.so"), S_OK);
    ASSERT_EQ(serveOwnFolderClass(&m_cookie), S_OK);
    m_window = std::make_unique<browser::BrowserWindow>();
    m_window->resize(1100, 700);
    m_window->show();
}

void ContentViewFixture::TearDown()
{
    m_window.reset();
    CoRevokeClassObject(m_cookie);
    m_cameras.clear();
    FolderFixture::TearDown();
}

camsim::CamSim* ContentViewFixture::startCamera(const std::string& model,
                                                camsim::CamSimConfig config)
{
    config.model = model;
    std::string error;
    auto camera = startCameraOnFreeAddress(config, &error);
    EXPECT_TRUE(camera) << error;
    if (!camera)
        return nullptr;
    m_cameras.push_back(std::move(camera));
    return m_cameras.back().get();
}

void ContentViewFixture::addCameraItem(const std::string& name, const camsim::CamSim& camera,
                                       const std::string& resolution, bool storeModel)
{
    ItemRecord record;
    record.name = name;
    record.address = camera.host();
    record.camera = "1";
    record.resolution = resolution;
    if (storeModel) {
        record.model = camera.config().model;
        record.firmware = camera.firmware();
    }
    ASSERT_EQ(m_store.Create(record, ItemKind::Camera, nullptr), S_OK);
}

void ContentViewFixture::addGroupItem(const std::string& name, ItemKind kind,
                                      const std::vector<std::string>& members,
                                      std::uint32_t displayTimeMs, const std::string& user,
                                      const std::string& password)
{
    ItemRecord record;
    record.name = name;
    record.members = members;
    record.displayTimeMs = displayTimeMs;
    record.user = user;
    record.password = password;
    ASSERT_EQ(m_store.Create(record, kind, nullptr), S_OK);
}

bool ContentViewFixture::openItem(const std::string& name)
{
    return m_window->browseToPath("Network Cameras", QString::fromStdString(name)) == S_OK;
}

void ContentViewFixture::screenshot(const std::string& name) const
{
    const QByteArray folder = qgetenv("ORVEL_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QApplication::processEvents();
    m_window->grab().save(QString::fromUtf8(folder) + "/" + QString::fromStdString(name) + ".png");
}

QImage ContentViewFixture::grabView() const
{
    auto* widget = reinterpret_cast<QWidget*>(m_window->viewWindow());
    return widget ? widget->grab().toImage().convertToFormat(QImage::Format_RGB32) : QImage();
}

int countColour(const QImage& image, const QRect& rect, QRgb colour)
{
    int count = 0;
    const QRect inside = rect.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            count += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF) ? 1 : 0;
    return count;
}
