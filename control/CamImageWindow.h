#pragma once
// The control's window: a child widget of the host's window. It turns Qt's events into the
// control's window messages (paint, the 10-second timer, left button up, the mouse wheel and
// the posted arrival events) and hands them to the control, on the window thread.

#include <QBasicTimer>
#include <QWidget>

namespace pictra {

class CamImage;

class CamImageWindow final : public QWidget {
public:
    CamImageWindow(CamImage* control, QWidget* parent);
    // Tells the control its window is gone (the host may delete the parent first).
    ~CamImageWindow() override;

    // The control is going and destroys the window itself: no more calls into it.
    void detachControl() { m_control = nullptr; }

    // Timer 1: killed and set again at each start.
    void startWatchdog();
    void stopWatchdog();
    bool watchdogActive() const { return m_watchdog.isActive(); }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    CamImage* m_control;
    QBasicTimer m_watchdog;
};

} // namespace pictra
