#include "recorder/engine/StatusWindow.h"

#include "common/ICamRequestSink.h"
#include "recorder/engine/FrameView.h"
#include "recorder/engine/RecoraResources.h"
#include "recorder/engine/RecorderProcess.h"
#include "recorder/engine/StopButton.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace {
const QColor kBackground(128, 128, 128);
const QColor kImageArea(192, 192, 192);
const QColor kShadow(0, 0, 0);
const QColor kText(255, 255, 0);
// The layout, in client pixels.
constexpr QRect kBackgroundArea(0, 0, 170, 160);
constexpr QRect kImageFrame(4, 4, 161, 121);
constexpr QRect kImageRect(5, 5, 160, 120);
constexpr QRect kViewRect(5, 5, 159, 119); // (5, 5)-(164, 124)
constexpr int kTextLeft = 6;
constexpr int kTextTop = 131;
constexpr int kTextRight = 166;
constexpr int kButtonCentreWidth = 170;
constexpr int kButtonBottom = 155;
} // namespace

StatusWindow::StatusWindow(RecorderProcess& process)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint),
      m_process(process)
{
    m_process.monitor().lock();
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("Recora"));
    setWindowTitle(QString::fromStdString(recora::resources().string(recora::kStringProgram)));
    setWindowIcon(recora::resources().windowIcon());
    setFixedSize(kClientWidth, kClientHeight);

    m_view = new FrameView(this, m_process.context());
    m_view->setObjectName(QStringLiteral("RecVideoWnd"));
    m_view->setGeometry(kViewRect);

    m_button = new StopButton(this);
    const QSize face = m_button->sizeHint();
    m_button->setGeometry((kButtonCentreWidth - face.width()) / 2, kButtonBottom - face.height(),
                          face.width(), face.height());
    connect(m_button, &StopButton::stopRequested, this, &StatusWindow::stopClicked);

    m_blinkTimer.setInterval(kBlinkTimerMs);
    connect(&m_blinkTimer, &QTimer::timeout, m_button, qOverload<>(&QWidget::update));
}

StatusWindow::~StatusWindow()
{
    // After the window's last event: the lock goes back.
    m_process.monitor().unlock();
}

void StatusWindow::placeAtTopRight()
{
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect full = screen->geometry();
    const int frameWidth = frameGeometry().width();
    move(full.right() + 1 - frameWidth, full.top());
}

void StatusWindow::applyConnectionStatus(unsigned status)
{
    if (status == CamStatusConnected) {
        if (!m_blinkTimer.isActive()) {
            m_blinkTimer.start();
            m_button->setBlink(true);
        }
        if (m_button->isOff())
            m_button->setOff(false);
        m_button->setEnabled(true);
    } else if (status == CamStatusClosed) {
        if (m_blinkTimer.isActive()) {
            m_blinkTimer.stop();
            m_button->setBlink(false);
        }
        if (!m_button->isOff())
            m_button->setOff(true);
        m_button->setEnabled(false);
    }
    m_process.log(std::string("button off=") + (m_button->isOff() ? "1" : "0") +
                  " enabled=" + (m_button->isEnabled() ? "1" : "0") +
                  " blink=" + (m_blinkTimer.isActive() ? "1" : "0"));
}

void StatusWindow::closeConnection()
{
    m_view->closeStream();
    m_process.context().statusChanged(CamStatusClosed);
    update();
}

void StatusWindow::stopClicked()
{
    m_process.log("stop button");
    m_process.context().finalizeSequence();
    closeConnection();
}

void StatusWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(kBackgroundArea, kBackground);
    p.fillRect(kImageFrame, kShadow);
    p.fillRect(kImageRect, kImageArea);
    const QString text = QString::fromStdString(m_process.context().statusText());
    if (text.isEmpty())
        return;
    // Made for each paint, as the status line always was.
    const QFont font = recora::resources().statusFont();
    p.setFont(font);
    const int textHeight = QFontMetrics(font).height();
    p.setClipRect(
        QRect(QPoint(kTextLeft, kTextTop), QPoint(kTextRight - 1, kTextTop + textHeight - 1)));
    const QRect box(kTextLeft, kTextTop, kTextRight - kTextLeft, textHeight);
    p.setPen(kShadow);
    p.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    p.setPen(kText);
    p.drawText(box.translated(-1, -1), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

void StatusWindow::closeEvent(QCloseEvent* event)
{
    // The window's destruction: lamp off, sequence finalized, connection closed.
    if (m_blinkTimer.isActive()) {
        m_blinkTimer.stop();
        m_button->setBlink(false);
    }
    m_process.context().finalizeSequence();
    closeConnection();
    m_process.log("window closed");
    event->accept();
}
