#pragma once
// "CamFullScreen": a borderless top-level window over the screen's work area showing one
// camera with its own stream, each image stretched over the whole window, dark grey until the
// first. Any key, mouse button or loss of focus ends it: it closes its stream and tells its
// view, which then reconnects its own. On the user-interface thread.

#include "namespace/views/LiveStream.h"

#include <QWidget>
#include <functional>

namespace foldra {

inline constexpr const char* kFullScreenClass = "CamFullScreen";

class CamFullScreen final : public QWidget {
public:
    // ended runs once, from the event loop, after the stream is closed.
    CamFullScreen(std::string url, std::function<void()> ended);
    ~CamFullScreen() override;

    // Opens the stream and shows the window. \retval the stream's opening result
    HRESULT start();
    // Closes the stream and hands over to the view (once).
    void end();
    bool hasImage() const { return m_hasImage; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    std::string m_url;
    std::function<void()> m_ended;
    LiveStream m_stream;
    bool m_hasImage = false;
    bool m_ending = false;
};

} // namespace foldra
