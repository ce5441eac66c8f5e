#pragma once
// The stop button: an owner-drawn push button (control id 10) that shows one of three 40 x 10
// faces unscaled at its top left. While recording its lamp blinks: every repaint flips the
// phase, and the status window's 500 ms timer repaints it.

#include <QAbstractButton>
#include <QPixmap>

class StopButton final : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kControlId = 10;

    explicit StopButton(QWidget* parent);

    bool isOff() const { return m_off; }
    void setOff(bool off);
    void setBlink(bool blink) { m_blink = blink; }
    bool blinks() const { return m_blink; }
    // The face drawn last (203, 204 or 205), for what a user sees.
    unsigned lastFace() const { return m_lastFace; }

    QSize sizeHint() const override { return m_lit.size(); }

signals:
    // A click flipped the off flag and the button is now off: the recording must stop.
    void stopRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void onClicked();

    QPixmap m_lit;
    QPixmap m_pressedFace;
    QPixmap m_dark;
    bool m_pressed = false; // the mouse button is held on it
    bool m_off = false;     // the recording is stopped
    bool m_blink = false;
    bool m_phase = true;
    unsigned m_lastFace = 0;
};
