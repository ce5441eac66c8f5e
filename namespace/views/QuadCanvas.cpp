#include "namespace/views/QuadCanvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

namespace foldra {

namespace {

constexpr int kNameLeftMargin = 10;
constexpr int kNameBottomMargin = 1;
constexpr int kNamePixelHeight = 10;
const QColor kNameShadow(0, 0, 0);
const QColor kNameColour(255, 255, 0);

RECT moved(RECT r, int dx, int dy)
{
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

} // namespace

std::array<RECT, kQuadSlots> quadrantsOf(const RECT& canvas)
{
    const int halfWidth = (canvas.right - canvas.left) / 2;
    const int halfHeight = (canvas.bottom - canvas.top) / 2;
    const RECT topLeft{canvas.left, canvas.top, canvas.left + halfWidth, canvas.top + halfHeight};
    return {topLeft, moved(topLeft, halfWidth, 0), moved(topLeft, 0, halfHeight),
            moved(topLeft, halfWidth, halfHeight)};
}

void drawCameraName(QPainter& painter, const RECT& area, const QString& name)
{
    if (name.isEmpty())
        return;
    painter.save();
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(kNamePixelHeight);
    font.setWeight(QFont::Normal);
    // Crisp pixels in the two colours, as the small bitmap font draws them.
    font.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(font);
    const int lineHeight = QFontMetrics(font).height();
    const QRect box(area.left + kNameLeftMargin, area.bottom - kNameBottomMargin - lineHeight,
                    std::max(0, area.right - area.left - kNameLeftMargin), lineHeight);
    painter.setClipRect(QRect(area.left, area.top, area.right - area.left, area.bottom - area.top));
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    painter.setPen(kNameShadow);
    painter.drawText(box, flags, name);
    painter.setPen(kNameColour);
    painter.drawText(box.translated(-1, -1), flags, name);
    painter.restore();
}

} // namespace foldra
