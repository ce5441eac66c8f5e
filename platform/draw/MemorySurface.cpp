#include "platform/draw/MemorySurface.h"

#include "platform/draw/Stretch.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <algorithm>

namespace orvel::draw {

MemorySurface::MemorySurface(int width, int height, Color fill, PixelFormat format)
    : m_width(std::max(width, 0)), m_height(std::max(height, 0)), m_format(format),
      m_stride((m_width * bytesPerPixel() + 3) & ~3),
      m_bits(static_cast<std::size_t>(m_stride) * static_cast<std::size_t>(m_height)),
      m_image(m_bits.data(), m_width, m_height, m_stride,
              format == PixelFormat::Bgrx32 ? QImage::Format_RGB32 : QImage::Format_BGR888)
{
    fillRect({0, 0, m_width, m_height}, fill);
}

QImage& MemorySurface::image()
{
    // An image someone still shared would have been copied on the first paint onto it.
    if (m_image.constBits() != m_bits.data())
        m_image =
            QImage(m_bits.data(), m_width, m_height, m_stride,
                   m_format == PixelFormat::Bgrx32 ? QImage::Format_RGB32 : QImage::Format_BGR888);
    return m_image;
}

Color MemorySurface::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return {};
    const std::uint8_t* p =
        m_bits.data() + static_cast<std::size_t>(y) * m_stride + x * bytesPerPixel();
    return {p[2], p[1], p[0]};
}

void MemorySurface::stretchBitmap(const BitmapView& source, const RECT& dst)
{
    draw::stretchBitmap(source, {m_bits.data(), m_width, m_height, m_stride, bytesPerPixel()}, dst);
}

void MemorySurface::fillRect(const RECT& rect, Color color)
{
    int left = std::max<int>(rect.left, 0);
    int right = std::min<int>(rect.right, m_width);
    int top = std::max<int>(rect.top, 0);
    int bottom = std::min<int>(rect.bottom, m_height);
    const int bpp = bytesPerPixel();
    for (int y = top; y < bottom; ++y) {
        std::uint8_t* p = m_bits.data() + static_cast<std::size_t>(y) * m_stride + left * bpp;
        for (int x = left; x < right; ++x, p += bpp) {
            p[0] = color.b;
            p[1] = color.g;
            p[2] = color.r;
            if (bpp == 4)
                p[3] = 0xff;
        }
    }
}

bool MemorySurface::drawText(std::string_view utf8, const RECT& rect, Color color, TextAlign align)
{
    // Fonts come from the GUI application; without one there is nothing to draw text with.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()) || m_width == 0 ||
        m_height == 0)
        return false;
    QPainter painter(&image());
    painter.setPen(QColor(color.r, color.g, color.b));
    int flags = Qt::AlignVCenter | Qt::TextSingleLine;
    flags |= align == TextAlign::Center  ? Qt::AlignHCenter
             : align == TextAlign::Right ? Qt::AlignRight
                                         : Qt::AlignLeft;
    painter.drawText(QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top),
                     flags, QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    return true;
}

} // namespace orvel::draw
