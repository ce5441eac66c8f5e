#pragma once
// Everything one recorder process holds: the single RecordingContext, the status window bound
// to it, the module lock count with its shutdown monitor, and the work the camera client's and
// the capture thread hand to the main thread. Its events carry the names of the window
// messages they stand for. Lives on the main thread.

#include "recorder/engine/ShutdownMonitor.h"
#include "recorder/sequence/RecordingContext.h"

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

class StatusWindow;

// The private messages of the status window, as event types.
inline constexpr QEvent::Type WM_RECORDER_FINALIZE =
    static_cast<QEvent::Type>(QEvent::User + 0x401);
inline constexpr QEvent::Type WM_RECORDER_CLOSE = static_cast<QEvent::Type>(QEvent::User + 0x402);

class RecorderProcess final : public QObject, public RecordingHost {
    Q_OBJECT
public:
    // Scripts and tests follow a recorder through this log: one line per change a user would
    // see. Error boxes are answered at once, without showing, when kAnswerBoxesVariable is 1.
    static constexpr const char* kStateLogVariable = "RECORA_STATE_LOG";
    static constexpr const char* kAnswerBoxesVariable = "RECORA_ANSWER_BOXES";

    RecorderProcess();
    ~RecorderProcess() override;

    ShutdownMonitor& monitor() { return m_monitor; }
    RecordingContext& context() { return m_context; }
    StatusWindow* window() const;

    struct StartRequest {
        std::string url;
        std::string name;
        std::optional<std::string> directory; // none for a null BSTR: E_INVALIDARG
        std::optional<std::string> prefix;
        LONG interval = 0;
        UI4 duration = 0;
        UI4 maxSize = 0;
    };
    // ICamRecord::Start on the main thread.
    HRESULT start(const StartRequest& request);
    // The status window closes (the user, or a stop signal).
    void closeWindow();

    // The state log (no-op without one).
    void log(const std::string& line);

    // RecordingHost (client and capture threads).
    void postFinalize() override;
    void postClose() override;
    void postCaptureError(const CaptureError& error) override;
    void connectionChanged(UI4 status) override;
    std::string statusWord(UI4 status) override;
    void statusTextChanged() override;
    void captureDone(bool goOn) override;
    void sequenceFinished(const std::string& path, UI4 frames, HRESULT hr) override;

protected:
    bool event(QEvent* event) override;

private:
    void showErrorBox();

    ShutdownMonitor m_monitor;
    RecordingContext m_context{*this};
    QPointer<StatusWindow> m_window;
    std::FILE* m_stateLog = nullptr;
    bool m_answersBoxes = false; // set the message box hook, which it puts back at the end
};
