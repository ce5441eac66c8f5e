#include "ViewHost.h"

#include "common/FoldraClasses.h"
#include "namespace/folder/CamFolder.h"
#include "namespace/server/Registration.h"
#include "namespace/store/ItemStore.h"
#include "platform/base/MallocArenas.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/ClassRegistration.h"
#include "platform/com/Runtime.h"
#include "tools/camsim/CamSim.h"

#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace viewbench {

namespace {

HRESULT createFolder(IUnknown* outer, REFIID riid, void** ppv)
{
    return foldra::CamFolder::createInstance(outer, riid, ppv);
}

} // namespace

bool CameraProcess::start(const std::string& subnet, int count, int fps)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return false;
    m_pid = ::fork();
    if (m_pid < 0)
        return false;
    if (m_pid == 0) {
        ::close(fds[1]);
        std::vector<std::unique_ptr<camsim::CamSim>> cameras;
        for (int i = 0; i < count; ++i) {
            camsim::CamSimConfig config;
            config.address = subnet + "." + std::to_string(i + 2);
            config.model = "OC30";
            config.firmware = "3.00";
            config.fps = fps;
            config.frameMode = camsim::FrameMode::PreEncoded;
            config.seed = static_cast<std::uint32_t>(i + 1);
            camsim::StartError error;
            auto cam = camsim::CamSim::start(config, &error);
            if (!cam) {
                std::fprintf(stderr, "camera %s: %s\n", config.address.c_str(),
                             error.message.c_str());
                std::_Exit(1);
            }
            cameras.push_back(std::move(cam));
        }
        // Serves until the parent closes its end of the pipe.
        char byte = 0;
        while (::read(fds[0], &byte, 1) > 0) {
        }
        cameras.clear();
        std::_Exit(0);
    }
    ::close(fds[0]);
    m_pipe = fds[1];
    std::this_thread::sleep_for(std::chrono::milliseconds(1000 + 100 * count));
    return true;
}

void CameraProcess::stop()
{
    if (m_pid <= 0)
        return;
    ::close(m_pipe);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

std::string binaryFolder()
{
    return std::filesystem::canonical("/proc/self/exe").parent_path().string();
}

void pump(std::chrono::milliseconds span)
{
    QEventLoop loop;
    QTimer::singleShot(span, &loop, &QEventLoop::quit);
    loop.exec();
}

bool ViewHost::start(int& argc, char** argv)
{
    // As the browser's main does, before the first thread.
    orvel::boundMallocArenas();
    char rootTemplate[] = "/tmp/view-bench-XXXXXX";
    const char* made = ::mkdtemp(rootTemplate);
    if (!made) {
        std::fprintf(stderr, "cannot make a state root in /tmp\n");
        return false;
    }
    m_root = made;
    ::setenv("ORVEL_STATE_ROOT", m_root.c_str(), 1);
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    m_app = std::make_unique<QApplication>(argc, argv);
    CoInitialize(nullptr);
    for (const char* library : {"Lumin.so", "Medrix.so"}) {
        std::string detail;
        if (FAILED(registerServerLibrary(binaryFolder() + "/" + library, false, &detail))) {
            std::fprintf(stderr, "cannot register %s: %s\n", library, detail.c_str());
            return false;
        }
    }
    if (FAILED(foldra::registerServer(binaryFolder() + "/Foldra.so"))) {
        std::fprintf(stderr, "cannot register the namespace\n");
        return false;
    }
    ComPtr<IClassFactory> factory;
    ClassFactory::getClassObject(&createFolder, nullptr, IID_IClassFactory, factory.putVoid());
    if (FAILED(CoRegisterClassObject(CLSID_CamFolder, factory.get(), CLSCTX_LOCAL_SERVER,
                                     REGCLS_MULTIPLEUSE, &m_cookie))) {
        std::fprintf(stderr, "cannot serve the namespace's folder\n");
        return false;
    }
    m_window = std::make_unique<browser::BrowserWindow>();
    m_window->show();
    return true;
}

ViewHost::~ViewHost()
{
    m_window.reset();
    if (m_cookie)
        CoRevokeClassObject(m_cookie);
    m_app.reset();
    if (!m_root.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }
}

bool ViewHost::addCamera(const std::string& name, const std::string& host)
{
    foldra::ItemRecord record;
    record.name = name;
    record.address = host;
    record.camera = "1";
    record.resolution = "640x480";
    record.model = "OC30";
    record.firmware = "3.00";
    return SUCCEEDED(foldra::ItemStore().Create(record, foldra::ItemKind::Camera, nullptr));
}

bool ViewHost::addGroup(const std::string& name, foldra::ItemKind kind,
                        const std::vector<std::string>& members)
{
    foldra::ItemRecord record;
    record.name = name;
    record.members = members;
    return SUCCEEDED(foldra::ItemStore().Create(record, kind, nullptr));
}

bool ViewHost::open(const std::string& itemName)
{
    return SUCCEEDED(m_window->browseToPath("Network Cameras", QString::fromStdString(itemName)));
}

QWidget* ViewHost::view() const
{
    return reinterpret_cast<QWidget*>(m_window->viewWindow());
}

} // namespace viewbench
