#include "recorder/engine/RecoraArtwork.h"

#include <QPainter>

namespace recora {

namespace {
const QColor kFace(192, 192, 192);
const QColor kLight(255, 255, 255);
const QColor kShadow(128, 128, 128);
const QColor kDarkShadow(0, 0, 0);
const QColor kLampOn(255, 0, 0);
const QColor kLampGlow(255, 160, 160);
const QColor kLampOff(96, 0, 0);
} // namespace

QImage drawButtonFace(ButtonFace face)
{
    QImage image(kButtonFaceWidth, kButtonFaceHeight, QImage::Format_RGB32);
    image.fill(kFace);
    QPainter p(&image);
    const int r = kButtonFaceWidth - 1;
    const int b = kButtonFaceHeight - 1;
    const bool pressed = face == ButtonFace::Pressed;
    // A push button's two-pixel bevel; pressed, it sinks and its contents move by one pixel.
    p.setPen(pressed ? kDarkShadow : kLight);
    p.drawLine(0, 0, r - 1, 0);
    p.drawLine(0, 0, 0, b - 1);
    p.setPen(pressed ? kLight : kDarkShadow);
    p.drawLine(0, b, r, b);
    p.drawLine(r, 0, r, b);
    p.setPen(kShadow);
    if (pressed) {
        p.drawLine(1, 1, r - 2, 1);
        p.drawLine(1, 1, 1, b - 2);
    } else {
        p.drawLine(1, b - 1, r - 1, b - 1);
        p.drawLine(r - 1, 1, r - 1, b - 1);
    }
    // The lamp: a 14 x 4 bar in the middle with a lighter glint when lit.
    const int shift = pressed ? 1 : 0;
    const QRect lamp(13 + shift, 3 + shift, 14, 4);
    const bool lit = face != ButtonFace::LampDark;
    p.fillRect(lamp, lit ? kLampOn : kLampOff);
    p.setPen(kShadow);
    p.drawRect(lamp.adjusted(-1, -1, 0, 0));
    if (lit) {
        p.setPen(kLampGlow);
        p.drawLine(lamp.left() + 1, lamp.top(), lamp.left() + 4, lamp.top());
    }
    return image;
}

QImage drawWindowIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal u = size / 16.0;
    // A camera body with its lens, and the red recording dot.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(64, 64, 72));
    p.drawRoundedRect(QRectF(1 * u, 4 * u, 11 * u, 8 * u), 1.5 * u, 1.5 * u);
    p.drawPolygon(QPolygonF({QPointF(12 * u, 6 * u), QPointF(15 * u, 4.5 * u),
                             QPointF(15 * u, 11.5 * u), QPointF(12 * u, 10 * u)}));
    p.setBrush(QColor(160, 190, 220));
    p.drawEllipse(QPointF(6.5 * u, 8 * u), 2.5 * u, 2.5 * u);
    p.setBrush(kLampOn);
    p.drawEllipse(QPointF(3 * u, 3 * u), 2.2 * u, 2.2 * u);
    return image;
}

} // namespace recora
