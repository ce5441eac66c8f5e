#pragma once
// "CamCameraView": the single live view of a Camera or LiveSite item. It identifies the
// camera, opens its stream and draws the newest image in the chosen layout; steers PTZ by
// mouse (click to centre, wheel zoom, middle double click), saves snapshots, records
// (through the Record command), and goes full screen. On the user-interface thread; the
// stream's threads reach it only through posted StreamEvents.

#include "namespace/views/CamFullScreen.h"
#include "namespace/views/LiveImageArea.h"
#include "namespace/views/LiveStream.h"
#include "namespace/views/ViewContent.h"
#include "namespace/views/ViewContext.h"
#include "namespace/views/ViewState.h"

#include <QBasicTimer>
#include <chrono>
#include <memory>

namespace foldra {

inline constexpr const char* kCameraViewClass = "CamCameraView";
// A stream that delivers no image for this long is closed and opened again; one that ended is
// opened again after kReconnectAfterEnd. The status bar says so meanwhile.
inline constexpr std::chrono::milliseconds kStallReconnect{10000};
inline constexpr std::chrono::milliseconds kReconnectAfterEnd{5000};

class CamCameraView final : public LiveImageArea, public ViewContent {
public:
    CamCameraView(const ViewContext& context, ViewHost& host, QWidget* parent);
    ~CamCameraView() override;

    // ViewContent
    QWidget* widget() override { return this; }
    void start() override;
    void stop() override;
    HRESULT saveState(IStream* stream) override;
    const std::vector<ViewMenuItem>& menuItems() const override;
    CommandState commandState(UINT id) const override;
    bool runCommand(UINT id) override;

    // What the view found when it opened (tests, the Record command).
    const std::string& streamUrl() const { return m_url; }
    bool hasPtz() const { return m_hasPtz; }
    bool identified() const { return static_cast<bool>(m_target); }
    const std::string& statusText() const { return m_status; }
    const ViewState& viewState() const { return m_state; }
    CamFullScreen* fullScreen() const { return m_fullScreen.get(); }
    ICamImageObject* image() const { return m_stream.image(); }

protected:
    bool drawContent(orvel::draw::DrawSurface& surface, const RECT& target) override;
    bool event(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void openStream();
    void showStatus(const std::string& text);
    void onStreamEvent(const StreamEvent& event);
    // Sends a PTZ URL made by format as a fire-and-forget request on the stream's client.
    template <typename Format> void sendPtz(Format format);
    void saveSnapshot();
    void record();
    void enterFullScreen();
    void leaveFullScreen();

    ViewContext m_context;
    ViewHost& m_host;
    ViewState m_state;
    LiveStream m_stream;
    ComPtr<ICamTarget> m_target;
    std::string m_url;
    bool m_hasPtz = false;
    bool m_needSize = true; // the next image is the first since (re)connection
    std::string m_status;
    std::unique_ptr<CamFullScreen> m_fullScreen;
    QBasicTimer m_watchdog;
    std::chrono::steady_clock::time_point m_lastActivity; // opened, or the last image
    bool m_ended = false;                                 // the stream ended on the camera's side
    bool m_reconnecting = false; // opened again after a stall or an end, no image since
    // The last image of the stream before it was opened again: shown until a new one comes.
    ComPtr<ICamImageObject> m_lastImage;
};

} // namespace foldra
