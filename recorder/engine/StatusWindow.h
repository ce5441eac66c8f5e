#pragma once
// The recorder's status window "Recora": the live image, the status line in yellow with a
// black shadow, and the stop button, at the top right of the screen. Its client area is
// 169 x 159; the layout is fixed in pixels.

#include <QTimer>
#include <QWidget>

class FrameView;
class RecorderProcess;
class StopButton;

class StatusWindow final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 169;
    static constexpr int kClientHeight = 159;
    static constexpr int kBlinkTimerMs = 500;

    explicit StatusWindow(RecorderProcess& process);
    ~StatusWindow() override;

    FrameView* frameView() const { return m_view; }
    StopButton* stopButton() const { return m_button; }
    bool blinkTimerOn() const { return m_blinkTimer.isActive(); }

    // The window side of status 21 or 51: lamp, button.
    void applyConnectionStatus(unsigned status);
    // CloseConnection: the connection goes, then everything status 51 does.
    void closeConnection();
    // Moves the window to the top right corner of its screen.
    void placeAtTopRight();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void stopClicked();

    RecorderProcess& m_process;
    FrameView* m_view = nullptr;
    StopButton* m_button = nullptr;
    QTimer m_blinkTimer;
};
