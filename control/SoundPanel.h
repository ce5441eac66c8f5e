#pragma once
// The sound panel: an 80-pixel strip at the bottom of the control with the talk button, the
// speaker and microphone sections (mute, level meter or volume slider) and the connection
// speed. It asks the control's audio side for every change and paints what that side holds,
// double-buffered, with artwork drawn here.
//
// Threads: window thread only.

#include "control/AudioParameters.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>

class QListWidget;

namespace pictra {

class ControlAudio;

class SoundPanel final : public QWidget {
public:
    static constexpr int kHeight = 80;

    SoundPanel(ControlAudio& audio, QWidget* control);

    void setBackground(QColor colour);
    // Over the bottom kHeight pixels of the control.
    void place();
    // The audio state changed: repaint, and publish it as properties for diagnostics.
    void refresh();

    // Where things are, for the mode shown (also published as properties).
    struct Layout {
        int listLeft = 0;
        int listRight = 0;
        bool microphone = false; // talk button and microphone section shown
        bool speaker = false;
        QRect talkButton;
        QRect microphoneIcon, microphoneMute, microphoneMeter;
        QRect speakerIcon, speakerMute, speakerMeter;
        QRect connectionLabel, speedText;
    };
    static Layout layoutFor(DuplexMode mode);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void render(QPainter& p);
    void drawTalkButton(QPainter& p, const QRect& r) const;
    void drawSpeaker(QPainter& p, const QRect& r, bool muted) const;
    void drawMicrophone(QPainter& p, const QRect& r, bool muted) const;
    void drawMute(QPainter& p, const QRect& r, bool muted, bool forced) const;
    void drawMeter(QPainter& p, const QRect& r, int level) const;
    void drawSlider(QPainter& p, const QRect& r, int percent) const;
    int sliderPercent(const QRect& r, int x) const;
    void openList();

    ControlAudio& m_audio;
    QColor m_background{Qt::white};
    QFont m_font;
    QImage m_buffer;
    QListWidget* m_list; // child; shown while choosing
    bool m_talkHeld = false;
    bool m_speakerSlider = false;
    bool m_microphoneSlider = false;
    enum class Drag { None, Speaker, Microphone } m_drag = Drag::None;
};

} // namespace pictra
