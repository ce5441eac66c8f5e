#include "platform/draw/QtSurface.h"

#include "platform/draw/Stretch.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QRect>
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
    if (m_painter.transform().isIdentity() && m_painter.device()) {
        // Stretched here into the window system's format, only the part the device shows:
        // the painter then copies pixels without scaling or converting them.
        const QRect visible =
            QRect(dst.left, dst.top, w, h)
                .intersected(QRect(0, 0, width(), height()))
                .intersected(m_painter.hasClipping() ? m_painter.clipBoundingRect().toAlignedRect()
                                                     : QRect(0, 0, width(), height()));
        if (visible.isEmpty())
            return;
        // One per thread, kept while the size stays: a stream of frames allocates nothing.
        thread_local QImage scratch;
        if (scratch.size() != visible.size())
            scratch = QImage(visible.size(), QImage::Format_RGB32);
        if (scratch.isNull())
            return;
        const TargetView target{scratch.bits(), scratch.width(), scratch.height(),
                                static_cast<int>(scratch.bytesPerLine()), 4};
        const RECT shifted{dst.left - visible.left(), dst.top - visible.top(),
                           dst.right - visible.left(), dst.bottom - visible.top()};
        draw::stretchBitmap(source, target, shifted);
        m_painter.drawImage(visible.topLeft(), scratch);
        return;
    }
    // The rows are bottom-up: read them as an image upside down and flip it while drawing,
    // which spares a copy.
    const QImage image(source.bits, source.width, source.height, source.stride(),
                       source.bytesPerPixel == 4 ? QImage::Format_RGB32 : QImage::Format_BGR888);
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
