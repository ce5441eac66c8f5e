#include "namespace/tests/MultiViewFixture.h"

#include "common/FoldraClasses.h"
#include "namespace/folder/CamFolder.h"
#include "namespace/server/Registration.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/ClassRegistration.h"
#include "platform/com/Runtime.h"
#include "testsupport/CamSimFixture.h"

#include <QApplication>
#include <filesystem>

using namespace foldra;

namespace {

HRESULT createFolder(IUnknown* outer, REFIID riid, void** ppv)
{
    return CamFolder::createInstance(outer, riid, ppv);
}

} // namespace

void MultiViewFixture::SetUp()
{
    FolderFixture::SetUp();
    const auto bin = std::filesystem::canonical("/proc/self/exe").parent_path();
    for (const char* library : {"Lumin.so", "Medrix.so"}) {
        std::string detail;
        ASSERT_EQ(registerServerLibrary((bin / library).string(), false, &detail), S_OK)
            << library << ": " << detail;
    }
    ASSERT_EQ(registerServer("/nonexistent/Foldra.so"), S_OK);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(
        ClassFactory::getClassObject(&createFolder, nullptr, IID_IClassFactory, factory.putVoid()),
        S_OK);
    ASSERT_EQ(CoRegisterClassObject(CLSID_CamFolder, factory.get(), CLSCTX_LOCAL_SERVER,
                                    REGCLS_MULTIPLEUSE, &m_cookie),
              S_OK);
    m_window = std::make_unique<browser::BrowserWindow>();
    m_window->resize(900, 700);
    m_window->show();
}

void MultiViewFixture::TearDown()
{
    m_window.reset();
    m_cameras.clear();
    CoRevokeClassObject(m_cookie);
    FolderFixture::TearDown();
}

camsim::CamSim* MultiViewFixture::startCamera(camsim::CamSimConfig config)
{
    config.model = "OC30";
    config.firmware = "3.00";
    std::string error;
    auto cam = startCameraOnFreeAddress(config, &error);
    EXPECT_TRUE(cam) << error;
    if (!cam)
        return nullptr;
    m_cameras.push_back(std::move(cam));
    return m_cameras.back().get();
}

void MultiViewFixture::addCameraItem(const std::string& name, const camsim::CamSim& cam,
                                     bool withModel)
{
    ItemRecord record = cameraRecord(name, cam.host());
    if (!withModel)
        record.model.clear(), record.firmware.clear();
    ASSERT_EQ(m_store.Create(record, ItemKind::Camera, nullptr), S_OK);
}

void MultiViewFixture::addGroupItem(const std::string& name, ItemKind kind,
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

bool MultiViewFixture::open(const std::string& itemName)
{
    return SUCCEEDED(m_window->browseToPath("Network Cameras", QString::fromStdString(itemName)));
}

QImage MultiViewFixture::grabView() const
{
    auto* widget = reinterpret_cast<QWidget*>(m_window->viewWindow());
    return widget ? widget->grab().toImage().convertToFormat(QImage::Format_RGB32) : QImage();
}

void MultiViewFixture::screenshot(const std::string& name) const
{
    const QByteArray folder = qgetenv("ORVEL_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    m_window->grab().save(QString::fromUtf8(folder) + "/" + QString::fromStdString(name));
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
