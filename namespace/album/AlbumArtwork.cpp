#include "namespace/album/AlbumArtwork.h"

#include <QPainter>
#include <QPainterPath>

namespace foldra {
namespace {

const QColor kTransparentKey(0, 255, 255);

} // namespace

QImage placeholderBitmap(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(236, 238, 241));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(image.rect()).adjusted(2.5, 2.5, -2.5, -2.5);
    p.setPen(QPen(QColor(170, 176, 186), 1));
    p.setBrush(QColor(250, 251, 252));
    p.drawRect(frame);
    // A small landscape: sun and two hills.
    const double w = frame.width();
    const double h = frame.height();
    const QPointF o = frame.topLeft();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(244, 196, 72));
    p.drawEllipse(QPointF(o.x() + w * 0.72, o.y() + h * 0.3), w * 0.08, w * 0.08);
    QPainterPath hills;
    hills.moveTo(o.x(), o.y() + h);
    hills.lineTo(o.x() + w * 0.35, o.y() + h * 0.45);
    hills.lineTo(o.x() + w * 0.55, o.y() + h * 0.7);
    hills.lineTo(o.x() + w * 0.72, o.y() + h * 0.55);
    hills.lineTo(o.x() + w, o.y() + h);
    hills.closeSubpath();
    p.setBrush(QColor(150, 168, 190));
    p.drawPath(hills);
    return image;
}

QImage sequenceOverlayBitmap()
{
    QImage image(kLargeThumbnail, QImage::Format_RGB32);
    image.fill(kTransparentKey);
    QPainter p(&image);
    // Film perforations down both edges, as a strip of frames.
    const QColor strip(32, 32, 36);
    p.fillRect(0, 0, 9, 75, strip);
    p.fillRect(91, 0, 9, 75, strip);
    for (int y = 4; y < 75; y += 10) {
        p.fillRect(2, y, 5, 5, QColor(230, 230, 230));
        p.fillRect(93, y, 5, 5, QColor(230, 230, 230));
    }
    // A play mark in the lower right corner.
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(255, 255, 255), 1.5));
    p.setBrush(QColor(40, 40, 44));
    p.drawEllipse(QPointF(76, 61), 10, 10);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255));
    const QPointF mark[] = {{72.5, 55}, {72.5, 67}, {82.5, 61}};
    p.drawPolygon(mark, 3);
    return image;
}

QImage sequenceOverlay(QSize size)
{
    // Scaled without smoothing so the key colour stays exact at the edges.
    QImage scaled =
        sequenceOverlayBitmap().scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QImage overlay = scaled.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = kTransparentKey.rgb();
    for (int y = 0; y < overlay.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(overlay.scanLine(y));
        for (int x = 0; x < overlay.width(); ++x)
            if ((line[x] | 0xFF000000u) == key)
                line[x] = qRgba(0, 0, 0, 0);
    }
    return overlay;
}

} // namespace foldra
