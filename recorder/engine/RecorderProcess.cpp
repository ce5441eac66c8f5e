#include "recorder/engine/RecorderProcess.h"

#include "common/ICamRequestSink.h"
#include "platform/base/Tick.h"
#include "platform/ui/MessageBox.h"
#include "platform/window/WindowHandle.h"
#include "recorder/engine/FrameView.h"
#include "recorder/engine/RecoraResources.h"
#include "recorder/engine/StatusWindow.h"
#include "recorder/engine/StopButton.h"

#include <QCoreApplication>
#include <cstdlib>
#include <cstring>

namespace {

// Events that carry more than their type.
constexpr QEvent::Type kErrorBoxEvent = static_cast<QEvent::Type>(QEvent::User + 0x410);
constexpr QEvent::Type kConnectionEvent = static_cast<QEvent::Type>(QEvent::User + 0x411);
constexpr QEvent::Type kStatusTextEvent = static_cast<QEvent::Type>(QEvent::User + 0x412);
constexpr QEvent::Type kViewUpdateEvent = static_cast<QEvent::Type>(QEvent::User + 0x413);

class StatusEvent final : public QEvent {
public:
    explicit StatusEvent(UI4 status, QEvent::Type type = kConnectionEvent)
        : QEvent(type), status(status)
    {}
    const UI4 status;
};

} // namespace

RecorderProcess::RecorderProcess()
    : m_monitor([] {
          // On the monitor's thread: only a post.
          QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                    Qt::QueuedConnection);
      })
{
    if (const char* path = std::getenv(kStateLogVariable); path && *path) {
        m_stateLog = std::fopen(path, "a");
        if (!m_stateLog)
            std::fprintf(stderr, "Recora: cannot open the state log %s: %s\n", path,
                         std::strerror(errno));
    }
    // A scripted recorder's boxes are answered through the suite's message box hook, as the
    // other programs' tests answer theirs.
    const char* answer = std::getenv(kAnswerBoxesVariable);
    m_answersBoxes = answer && std::strcmp(answer, "1") == 0;
    if (m_answersBoxes)
        setMessageBoxHook([](const MessageBoxQuestion&) { return IDOK; });
}

RecorderProcess::~RecorderProcess()
{
    if (m_answersBoxes)
        setMessageBoxHook({});
    delete m_window.data();
    m_context.finalizeSequence();
    if (m_stateLog)
        std::fclose(m_stateLog);
}

StatusWindow* RecorderProcess::window() const
{
    return m_window.data();
}

void RecorderProcess::log(const std::string& line)
{
    if (!m_stateLog)
        return;
    std::fprintf(m_stateLog, "t=%llu\t%s\n", static_cast<unsigned long long>(GetTickCount64()),
                 line.c_str());
    std::fflush(m_stateLog);
}

HRESULT RecorderProcess::start(const StartRequest& request)
{
    if (request.url.empty())
        return S_FALSE;
    // A second Start records again in the window there is, on the same context.
    if (!m_window) {
        m_window = new StatusWindow(*this);
        m_window->show();
        m_window->placeAtTopRight();
        log("window shown");
    }
    if (!m_window)
        return E_HANDLE;
    m_context.setName(request.name);
    // The parameters are in place before the stream opens: its first status may come at once.
    const bool haveParameters = request.directory && request.prefix;
    if (haveParameters) {
        RecordingParameters p;
        p.directory = *request.directory;
        p.prefix = *request.prefix;
        p.interval = request.interval;
        p.durationLimit = request.duration;
        p.sizeLimit = request.maxSize;
        m_context.begin(std::move(p));
    }
    FrameView* view = m_window->frameView();
    HRESULT hr = view->ensureStream() ? view->open(request.url) : E_FAIL;
    if (SUCCEEDED(hr) && !haveParameters)
        hr = E_INVALIDARG;
    if (FAILED(hr)) {
        m_window->closeConnection();
        return hr;
    }
    log("started url=" + request.url);
    return S_OK;
}

void RecorderProcess::closeWindow()
{
    if (m_window)
        m_window->close();
}

void RecorderProcess::postFinalize()
{
    QCoreApplication::postEvent(this, new QEvent(WM_RECORDER_FINALIZE));
}

void RecorderProcess::postClose()
{
    QCoreApplication::postEvent(this, new QEvent(WM_RECORDER_CLOSE));
}

void RecorderProcess::postCaptureError(const CaptureError&)
{
    QCoreApplication::postEvent(this, new QEvent(kErrorBoxEvent));
}

void RecorderProcess::connectionChanged(UI4 status)
{
    QCoreApplication::postEvent(this, new StatusEvent(status));
}

std::string RecorderProcess::statusWord(UI4 status)
{
    if (status == CamStatusConnected)
        return recora::resources().string(recora::kStringRecording);
    if (status == CamStatusClosed)
        return recora::resources().string(recora::kStringStopped);
    return {};
}

void RecorderProcess::statusTextChanged()
{
    QCoreApplication::postEvent(this, new QEvent(kStatusTextEvent));
}

void RecorderProcess::captureDone(bool goOn)
{
    QCoreApplication::postEvent(this, new StatusEvent(goOn ? 1 : 0, kViewUpdateEvent));
}

void RecorderProcess::sequenceFinished(const std::string& path, UI4 frames, HRESULT hr)
{
    // Also called from the client's threads: the log is written whole per line.
    log("finalized path=" + path + " frames=" + std::to_string(frames) +
        (FAILED(hr) ? " failed" : ""));
}

void RecorderProcess::showErrorBox()
{
    const std::string caption = recora::resources().string(recora::kStringError);
    const std::string text = recora::resources().string(recora::kStringCreateFailed);
    log("errorbox caption=" + caption + " text=" + text);
    showMessageBox(hwndOf(m_window), text, caption, MB_OK | MB_ICONERROR);
}

bool RecorderProcess::event(QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == WM_RECORDER_FINALIZE) {
        m_context.finalizeSequence();
    } else if (type == WM_RECORDER_CLOSE) {
        if (m_window)
            m_window->closeConnection();
        else
            m_context.statusChanged(CamStatusClosed);
    } else if (type == kErrorBoxEvent) {
        // The capture thread is already stopped (its finalize came first), so this box and
        // that thread never wait on each other.
        showErrorBox();
    } else if (type == kConnectionEvent) {
        if (m_window)
            m_window->applyConnectionStatus(static_cast<StatusEvent*>(event)->status);
    } else if (type == kStatusTextEvent) {
        log("status " + m_context.statusText());
        if (m_window)
            m_window->update();
    } else if (type == kViewUpdateEvent) {
        // After a capture that goes on, a view still painting is not asked again, so paints
        // never queue up behind slow ones.
        const bool goOn = static_cast<StatusEvent*>(event)->status != 0;
        if (m_window && (!goOn || m_window->frameView()->isPainted()))
            m_window->frameView()->update();
    } else {
        return QObject::event(event);
    }
    return true;
}
