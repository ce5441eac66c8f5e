// The recorder program: registration by its command line, else a local server with one
// recording and its status window.
#include "common/RecoraClasses.h"
#include "platform/base/CommandLine.h"
#include "platform/base/MallocArenas.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/ComPtr.h"
#include "platform/com/LocalServer.h"
#include "platform/com/Runtime.h"
#include "recorder/engine/CamRecord.h"
#include "recorder/engine/RecoraCommandLine.h"
#include "recorder/engine/RecoraRegistration.h"
#include "recorder/engine/RecoraResources.h"
#include "recorder/engine/RecorderProcess.h"

#include <QApplication>
#include <QSocketNotifier>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <sys/signalfd.h>
#include <thread>
#include <unistd.h>

namespace {

// The pause between the end of the message loop and the end of the process.
constexpr auto kExitPause = std::chrono::milliseconds(1000);

std::string programFolder()
{
    const std::string path = currentProgramPath();
    return path.substr(0, path.rfind('/'));
}

int serve(int argc, char** argv)
{
    // SIGINT and SIGTERM close the status window as the user would, so a stopped recorder
    // leaves a finalized sequence. Blocked before any thread exists, read through a signalfd.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    const int stopFd = ::signalfd(-1, &stopSignals, SFD_CLOEXEC | SFD_NONBLOCK);

    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false); // the shutdown monitor decides
    CoInitialize(nullptr);
    recora::resources().loadLibrary(programFolder() + "/" + recora::kResourceLibraryName);
    int code = 0;
    {
        RecorderProcess process;
        CamRecord::serve(&process);
        std::unique_ptr<QSocketNotifier> notifier;
        if (stopFd >= 0) {
            notifier = std::make_unique<QSocketNotifier>(stopFd, QSocketNotifier::Read);
            QObject::connect(notifier.get(), &QSocketNotifier::activated, &process, [&] {
                signalfd_siginfo info{};
                while (::read(stopFd, &info, sizeof info) == sizeof info) {
                }
                process.log("stop signal");
                process.closeWindow();
            });
        }
        auto factory =
            ComPtr<ClassFactory>::attach(ClassFactory::createRaw(&CamRecord::create, nullptr));
        LocalServerHooks hooks;
        hooks.post = [&process](std::function<void()> work) {
            QMetaObject::invokeMethod(&process, std::move(work), Qt::QueuedConnection);
        };
        DWORD cookie = 0;
        HRESULT hr = serveLocalServer(CLSID_CamRecord, factory.get(), REGCLS_SINGLEUSE,
                                      std::move(hooks), &cookie);
        if (FAILED(hr)) {
            std::fprintf(stderr, "Recora: cannot register the class object (0x%08X)\n",
                         static_cast<unsigned>(hr));
            code = 1;
        } else {
            code = app.exec();
            CoRevokeClassObject(cookie);
        }
        process.log("quit");
        std::this_thread::sleep_for(kExitPause);
        CamRecord::serve(nullptr);
    }
    CoUninitialize();
    if (stopFd >= 0)
        ::close(stopFd);
    return code;
}

} // namespace

int main(int argc, char** argv)
{
    orvel::boundMallocArenas();
    switch (parseRecoraCommandLine(joinArguments(argc, argv))) {
    case RecoraCommand::RegServer: {
        const HRESULT hr = registerRecora(currentProgramPath());
        if (FAILED(hr))
            std::fprintf(stderr, "Recora: registration failed (0x%08X)\n",
                         static_cast<unsigned>(hr));
        return static_cast<int>(hr);
    }
    case RecoraCommand::UnregServer:
        return static_cast<int>(unregisterRecora(currentProgramPath()));
    case RecoraCommand::Serve:
        break;
    }
    return serve(argc, argv);
}
