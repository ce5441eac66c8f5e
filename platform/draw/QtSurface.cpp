#include "platform/draw/QtSurface.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QString>

namespace orvel::draw {

QtSurface::QtSurface(QPainter& painter) : m_painter(painter) {}

int QtSurface::width() const
{
    return m_painter.device() ? m_painter.device()->width() : 0;
}

int QtSurface::height() const
{
    return m_painter.device() ? m_painter.device()->height() : 0;
}

void QtSurface::stretchBitmap(const BitmapView& source, const RECT& dst)
{
    const int w = dst.right - dst.left;
    const int h = dst.bottom - dst.top;
    if (!source.bits || source.width <= 0 || source.height <= 0 || w <= 0 || h <= 0)
        return;
    // The rows are bottom-up: read them as an image upside down and flip it while drawing,
    // which spares a copy.
    QImage image(source.bits, source.width, source.height, source.stride(), QImage::Format_BGR888);
    m_painter.save();
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    m_painter.translate(dst.left, dst.top + h);
    m_painter.scale(1, -1);
    m_painter.drawImage(QRectF(0, 0, w, h), image);
    m_painter.restore();
}

void QtSurface::fillRect(const RECT& rect, Color color)
{
    m_painter.fillRect(QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top),
                       QColor(color.r, color.g, color.b));
}

bool QtSurface::drawText(std::string_view utf8, const RECT& rect, Color color, TextAlign align)
{
    m_painter.save();
    m_painter.setPen(QColor(color.r, color.g, color.b));
    int flags = Qt::AlignVCenter | Qt::TextSingleLine;
    flags |= align == TextAlign::Center  ? Qt::AlignHCenter
             : align == TextAlign::Right ? Qt::AlignRight
                                         : Qt::AlignLeft;
    m_painter.drawText(QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top),
                       flags, QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    m_painter.restore();
    return true;
}

} // namespace orvel::draw
