// The viewer program: a window of its own when started by hand (optionally with a file to
// open), a local server when started by the runtime, registration with the switches.
#include "platform/base/CommandLine.h"
#include "platform/com/Runtime.h"
#include "viewer/app/VistelApp.h"
#include "viewer/app/VistelRegistration.h"
#include "viewer/app/VistelStrings.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

namespace {

enum class Registration { None, Register, Unregister };

// "/regserver", "-regserver", "/unregserver", "-unregserver" in any letter case, and the bare
// "RegServer"/"UnregServer" with which regsvr registers programs.
Registration registrationSwitch(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (isCommandSwitch(argv[i], "regserver"))
            return Registration::Register;
        if (isCommandSwitch(argv[i], "unregserver"))
            return Registration::Unregister;
    }
    return Registration::None;
}

} // namespace

int main(int argc, char** argv)
{
    // Registration needs no window (nor a display): it ends before the application starts.
    switch (registrationSwitch(argc, argv)) {
    case Registration::Register: {
        HRESULT hr = registerVistel(currentProgramPath());
        if (FAILED(hr))
            std::fprintf(stderr, "Vistel: registration failed (0x%08X)\n",
                         static_cast<unsigned>(hr));
        return FAILED(hr) ? 1 : 0;
    }
    case Registration::Unregister: {
        HRESULT hr = unregisterVistel(currentProgramPath());
        if (FAILED(hr))
            std::fprintf(stderr, "Vistel: unregistration failed (0x%08X)\n",
                         static_cast<unsigned>(hr));
        return FAILED(hr) ? 1 : 0;
    }
    case Registration::None:
        break;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(vistel::loadString(vistel::kStringAppName));
    if (FAILED(CoInitialize(nullptr))) {
        QMessageBox::critical(nullptr, vistel::loadString(vistel::kStringAppName),
                              vistel::loadString(vistel::kStringOleInitFailed));
        return 1;
    }
    // Strings from "VistelRes.so" beside the program when there is one.
    const std::string program = currentProgramPath();
    vistel::loadResourceLibrary(program.substr(0, program.rfind('/')));
    int result = 1;
    {
        vistel::CVistelApp app;
        QStringList arguments = QApplication::arguments();
        arguments.removeFirst();
        if (app.InitInstance(arguments))
            result = QApplication::exec();
        // Ends the creator's connection and releases its object while the document lives.
        CoUninitialize();
    }
    return result;
}
