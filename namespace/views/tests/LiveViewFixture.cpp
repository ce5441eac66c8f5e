#include "namespace/views/tests/LiveViewFixture.h"

#include "common/FoldraClasses.h"
#include "namespace/server/Registration.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/Runtime.h"
#include "testsupport/RegisteredLibraries.h"

#include <QScrollBar>

using namespace std::chrono_literals;

namespace {

HRESULT createFolder(IUnknown* outer, REFIID riid, void** ppv)
{
    return foldra::CamFolder::createInstance(outer, riid, ppv);
}

} // namespace

void LiveViewFixture::SetUp()
{
    FolderFixture::SetUp();
    std::string error;
    ASSERT_TRUE(registerTestLibraries({"Lumin.so", "Medrix.so"}, &error)) << error;
    ASSERT_EQ(foldra::registerServer("/nonexistent/Foldra.so"), S_OK);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(
        ClassFactory::getClassObject(&createFolder, nullptr, IID_IClassFactory, factory.putVoid()),
        S_OK);
    ASSERT_EQ(CoRegisterClassObject(CLSID_CamFolder, factory.get(), CLSCTX_LOCAL_SERVER,
                                    REGCLS_MULTIPLEUSE, &m_cookie),
              S_OK);
    m_window = std::make_unique<browser::BrowserWindow>();
    m_window->resize(1100, 700);
    m_window->show();
}

void LiveViewFixture::TearDown()
{
    m_window.reset();
    CoRevokeClassObject(m_cookie);
    m_cameras.clear();
    FolderFixture::TearDown();
}

camsim::CamSim* LiveViewFixture::startCamera(const std::string& model, camsim::CamSimConfig config)
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

void LiveViewFixture::addCameraItem(const std::string& name, const camsim::CamSim& camera,
                                    const std::string& resolution, bool storeModel)
{
    foldra::ItemRecord record;
    record.name = name;
    record.address = camera.host();
    record.camera = "1";
    record.resolution = resolution;
    if (storeModel) {
        record.model = camera.config().model;
        record.firmware = camera.firmware();
    }
    ASSERT_EQ(m_store.Create(record, foldra::ItemKind::Camera, nullptr), S_OK);
}

foldra::CamCameraView* LiveViewFixture::open(const std::string& name)
{
    if (m_window->browseToPath("Network Cameras", QString::fromStdString(name)) != S_OK)
        return nullptr;
    return dynamic_cast<foldra::CamCameraView*>(reinterpret_cast<QWidget*>(m_window->viewWindow()));
}

void LiveViewFixture::sizeClient(foldra::CamCameraView* view, int width, int height)
{
    const int extraX = view->width() - view->viewport()->width();
    const int extraY = view->height() - view->viewport()->height();
    view->resize(width + extraX, height + extraY);
    QApplication::processEvents();
}

void LiveViewFixture::screenshot(const std::string& name)
{
    const QByteArray folder = qgetenv("ORVEL_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QApplication::processEvents();
    m_window->grab().save(QString::fromUtf8(folder) + "/" + QString::fromStdString(name) + ".png");
}

bool LiveViewFixture::waitForImage(foldra::CamCameraView* view, int width, int height)
{
    return waitFor([&] { return view->contentWidth() == width && view->contentHeight() == height; },
                   10s);
}
