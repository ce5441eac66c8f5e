#include "recorder/engine/StopButton.h"

#include "recorder/engine/RecoraResources.h"

#include <QMouseEvent>
#include <QPainter>

StopButton::StopButton(QWidget* parent)
    : QAbstractButton(parent), m_lit(recora::resources().bitmap(recora::kBitmapLampLit)),
      m_pressedFace(recora::resources().bitmap(recora::kBitmapPressed)),
      m_dark(recora::resources().bitmap(recora::kBitmapLampDark))
{
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::clicked, this, &StopButton::onClicked);
}

void StopButton::setOff(bool off)
{
    m_off = off;
    update();
}

void StopButton::paintEvent(QPaintEvent*)
{
    const QPixmap* face = nullptr;
    if (m_pressed || isDown()) {
        face = &m_pressedFace;
        m_lastFace = recora::kBitmapPressed;
    } else if (m_off) {
        face = &m_dark;
        m_lastFace = recora::kBitmapLampDark;
    } else {
        if (m_blink)
            m_phase = !m_phase;
        face = m_phase ? &m_lit : &m_dark;
        m_lastFace = m_phase ? recora::kBitmapLampLit : recora::kBitmapLampDark;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, *face);
}

void StopButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    QAbstractButton::mousePressEvent(event);
}

void StopButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = false;
    QAbstractButton::mouseReleaseEvent(event);
}

void StopButton::onClicked()
{
    m_off = !m_off;
    update();
    if (m_off)
        emit stopRequested();
}
