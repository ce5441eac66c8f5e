#include "namespace/views/QuadCanvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <vector>

namespace foldra {

namespace {

constexpr int kNameLeftMargin = 10;
constexpr int kNameBottomMargin = 1;
constexpr int kNamePixelHeight = 10;
// Names and status lines of a few open views.
constexpr std::size_t kCachedNames = 32;
const QColor kNameShadow(0, 0, 0);
const QColor kNameColour(255, 255, 0);
constexpr int kStatusMargin = 3;

RECT moved(RECT r, int dx, int dy)
{
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

QFont nameFont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(kNamePixelHeight);
    font.setWeight(QFont::Normal);
    // Crisp pixels in the two colours, as the small bitmap font draws them.
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

// A name drawn into a text box boxWidth wide and one line high, once in black and once more
// 1 pixel up and left in yellow, on a transparent image 1 pixel larger each way. Unsmoothed
// text has only opaque pixels, so the image drawn over a picture leaves the pixels drawing the
// text there would.
struct RenderedName {
    QString name;
    int boxWidth = 0;
    int lineHeight = 0;
    QImage image;
};

const RenderedName& renderedName(const QString& name, int boxWidth)
{
    thread_local std::vector<RenderedName> cache; // most recently used last
    for (auto it = cache.begin(); it != cache.end(); ++it) {
        if (it->name == name && it->boxWidth == boxWidth) {
            std::rotate(it, it + 1, cache.end());
            return cache.back();
        }
    }
    if (cache.size() == kCachedNames)
        cache.erase(cache.begin());
    const QFont font = nameFont();
    const int lineHeight = QFontMetrics(font).height();
    QImage image(boxWidth + 1, lineHeight + 1, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setFont(font);
        const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
        painter.setPen(kNameShadow);
        painter.drawText(QRect(1, 1, boxWidth, lineHeight), flags, name);
        painter.setPen(kNameColour);
        painter.drawText(QRect(0, 0, boxWidth, lineHeight), flags, name);
    }
    cache.push_back({name, boxWidth, lineHeight, std::move(image)});
    return cache.back();
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
    // Both passes from one image made once per name and width: a view paints names at every
    // frame, and laying text out each time costs more than the frame's stretch.
    const RenderedName& rendered =
        renderedName(name, std::max(0, area.right - area.left - kNameLeftMargin));
    painter.save();
    painter.setClipRect(QRect(area.left, area.top, area.right - area.left, area.bottom - area.top));
    painter.drawImage(QPoint(area.left + kNameLeftMargin - 1,
                             area.bottom - kNameBottomMargin - rendered.lineHeight - 1),
                      rendered.image);
    painter.restore();
}

void drawStatusText(QPainter& painter, const RECT& area, const QString& text)
{
    if (text.isEmpty())
        return;
    painter.save();
    const QFont font = nameFont();
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const QRect space(area.left, area.top, area.right - area.left, area.bottom - area.top);
    const QString shown =
        metrics.elidedText(text, Qt::ElideRight, std::max(0, space.width() - 2 * kStatusMargin));
    const QRect backing(
        space.left(), space.top(),
        std::min(space.width(), metrics.horizontalAdvance(shown) + 2 * kStatusMargin),
        std::min(space.height(), metrics.height() + 2 * kStatusMargin));
    painter.setClipRect(space);
    painter.fillRect(backing, kNameShadow);
    painter.setPen(kNameColour);
    painter.drawText(backing.adjusted(kStatusMargin, kStatusMargin, 0, 0),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown);
    painter.restore();
}

} // namespace foldra
