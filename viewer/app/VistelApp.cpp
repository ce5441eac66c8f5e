#include "viewer/app/VistelApp.h"

#include "common/VistelClasses.h"
#include "platform/base/CommandLine.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/ComPtr.h"
#include "platform/com/LocalServer.h"
#include "platform/com/Runtime.h"
#include "viewer/app/AviCreation.h"
#include "viewer/app/AviDialogs.h"
#include "viewer/app/MainFrame.h"
#include "viewer/app/StateLog.h"
#include "viewer/app/VistelAutomation.h"
#include "viewer/app/VistelDoc.h"
#include "viewer/app/VistelRegistration.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMetaObject>
#include <QTimer>
#include <cstdio>

namespace vistel {

namespace {

// A program started for automation whose creator never asks for the object ends after this.
constexpr int kCreatorWaitMs = 60000;

// The application the class factory's objects serve (one per process, as the program is).
CVistelApp* s_app = nullptr;

HRESULT createAutomation(IUnknown* outer, REFIID riid, void** ppv)
{
    if (!s_app)
        return E_UNEXPECTED;
    s_app->markServed();
    return VistelAutomation::createInstance(outer, riid, ppv, s_app);
}

bool isSequencePath(const QString& path)
{
    return path.endsWith(QStringLiteral(".sqj"), Qt::CaseInsensitive);
}

} // namespace

CVistelApp::CVistelApp()
    : m_document(std::make_unique<CVistelDoc>()),
      m_frame(std::make_unique<CMainFrame>(m_document.get())),
      m_stateLog(StateLog::fromEnvironment()), m_aviDialogs(std::make_unique<QtAviDialogs>())
{
    s_app = this;
    // Closing the frame cancels AVI creation and waits for its thread.
    m_frame->setCloseGuard([this] {
        if (m_aviCreation)
            m_aviCreation->stopAndWait();
    });
    if (m_stateLog) {
        connect(m_frame.get(), &CMainFrame::stateChanged, this, [this](const QString& event) {
            m_stateLog->write(event, m_frame->describeState());
        });
    }
    // Only a frame the user can see can be closed: closing it ends the program.
    connect(m_frame.get(), &CMainFrame::closed, qApp, &QCoreApplication::quit,
            Qt::QueuedConnection);
}

CVistelApp::~CVistelApp()
{
    if (m_classCookie)
        CoRevokeClassObject(m_classCookie);
    m_aviCreation.reset();
    // The frame's view draws through the document: the frame goes first.
    m_frame.reset();
    m_document.reset();
    s_app = nullptr;
}

bool CVistelApp::InitInstance(const QStringList& arguments)
{
    for (const QString& a : arguments) {
        const QByteArray arg = a.toUtf8();
        if (isCommandSwitch(arg.constData(), "Embedding") ||
            isCommandSwitch(arg.constData(), "Automation"))
            return startAutomation();
    }
    // Started by hand: the registration follows the program wherever it was moved.
    if (HRESULT hr = registerVistel(currentProgramPath()); FAILED(hr))
        std::fprintf(stderr, "Vistel: registration failed (0x%08X)\n", static_cast<unsigned>(hr));

    QString path;
    for (const QString& a : arguments) {
        if (!a.isEmpty()) {
            path = a;
            break;
        }
    }
    if (path.isEmpty()) {
        // A new empty document.
        m_userControl = true;
        m_frame->showForUser(kNoImageSize);
        m_document->UpdateAllViews(ViewHint::FitToImage);
        return true;
    }
    openFromCommandLine(path);
    return true;
}

bool CVistelApp::startAutomation()
{
    ComPtr<IUnknown> factory = ComPtr<IUnknown>::attach(
        static_cast<IClassFactory*>(new ClassFactory(createAutomation, nullptr)));
    LocalServerHooks hooks;
    // Automation calls run on the window thread, as a single-threaded server's do.
    hooks.post = [this](std::function<void()> work) {
        QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
    };
    hooks.clientGone = [this] {
        QMetaObject::invokeMethod(
            this, [this] { onClientGone(); }, Qt::QueuedConnection);
    };
    HRESULT hr = serveLocalServer(CLSID_Vistel, factory.get(), REGCLS_SINGLEUSE, std::move(hooks),
                                  &m_classCookie);
    if (FAILED(hr)) {
        std::fprintf(stderr, "Vistel: cannot serve the viewer class (0x%08X)\n",
                     static_cast<unsigned>(hr));
        return false;
    }
    // Started for a creator that never came (or by hand with -Embedding): no one would ever
    // see this hidden program, so it does not wait for good.
    QTimer::singleShot(kCreatorWaitMs, this, [this] {
        if (!m_served)
            QCoreApplication::quit();
    });
    return true;
}

void CVistelApp::onClientGone()
{
    // A creator that let go without SetUserCtrl leaves nothing for a user: the program ends.
    if (!m_userControl)
        QCoreApplication::quit();
}

void CVistelApp::openFromCommandLine(const QString& path)
{
    const std::string file = path.toStdString();
    HRESULT hr = isSequencePath(path) ? m_document->SetSequence(file) : m_document->SetImage(file);
    if (FAILED(hr)) {
        std::fprintf(stderr, "Vistel: cannot open %s (0x%08X)\n", file.c_str(),
                     static_cast<unsigned>(hr));
        m_frame->statusPane()->setText(QStringLiteral("Cannot open %1").arg(path));
    }
    SetUserCtrl();
}

void CVistelApp::SetUserCtrl()
{
    m_frame->showForUser(m_document->headerSize());
    m_document->UpdateAllViews(ViewHint::FitToImage);
    // The program now belongs to the user: it stays when the creator lets go.
    m_userControl = true;
    emit m_frame->stateChanged(QStringLiteral("shown"));
    if (m_document->aviMode() && !m_aviCreation) {
        m_aviCreationEvent.set();
        m_aviCreation = std::make_unique<AviCreation>(m_document.get(), m_frame.get(),
                                                      m_aviCreationEvent, *m_aviDialogs);
        m_aviCreation->start();
    }
}

bool CVistelApp::isCreatingAvi() const
{
    return m_aviCreation && m_aviCreation->isRunning();
}

} // namespace vistel
