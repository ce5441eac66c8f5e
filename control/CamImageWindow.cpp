#include "control/CamImageWindow.h"

#include "control/AudioEvent.h"
#include "control/CamImage.h"
#include "control/LiveImage.h"
#include "control/StreamWatchdog.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>
#include <QWheelEvent>

namespace pictra {

CamImageWindow::CamImageWindow(CamImage* control, QWidget* parent)
    : QWidget(parent), m_control(control)
{
    // Background erasing is swallowed: the picture covers the window, and before the first
    // one nothing is drawn at all.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setObjectName(QStringLiteral("CamImage"));
}

CamImageWindow::~CamImageWindow()
{
    if (CamImage* control = std::exchange(m_control, nullptr))
        control->windowDestroyed();
}

void CamImageWindow::startWatchdog()
{
    m_watchdog.stop();
    m_watchdog.start(static_cast<int>(kWatchdogInterval.count()), this);
}

void CamImageWindow::stopWatchdog()
{
    m_watchdog.stop();
}

bool CamImageWindow::event(QEvent* event)
{
    syncPostedEvents();
    if (event->type() == kNewImageEvent) {
        if (m_control)
            m_control->windowNewImage();
        return true;
    }
    if (event->type() == kAudioEvent) {
        if (m_control)
            m_control->windowAudioEvent(static_cast<const AudioEvent&>(*event));
        return true;
    }
    if (event->type() == kRepaintEvent) {
        update();
        return true;
    }
    return QWidget::event(event);
}

void CamImageWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_control)
        m_control->windowResized();
}

void CamImageWindow::paintEvent(QPaintEvent*)
{
    if (!m_control)
        return;
    QPainter painter(this);
    m_control->windowPaint(painter);
}

void CamImageWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_control)
        return;
    // The message's position: client coordinates as two unsigned 16-bit halves.
    const QPoint at = event->position().toPoint();
    m_control->windowLeftButtonUp(static_cast<unsigned>(at.x()) & 0xFFFFu,
                                  static_cast<unsigned>(at.y()) & 0xFFFFu);
}

void CamImageWindow::wheelEvent(QWheelEvent* event)
{
    const QPoint delta = event->angleDelta();
    const int steps = delta.y() != 0 ? delta.y() : delta.x();
    if (m_control && steps != 0)
        m_control->windowWheel(steps);
    event->accept();
}

void CamImageWindow::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_watchdog.timerId() && m_control)
        m_control->windowWatchdog();
}

} // namespace pictra
