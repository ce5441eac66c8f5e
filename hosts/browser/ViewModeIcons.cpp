#include "hosts/browser/ViewModeIcons.h"

#include "platform/shell/ShellView.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace browser {
namespace {

constexpr int kSize = 24;
const QColor kInk(50, 70, 100);
const QColor kFill(120, 165, 220);

QIcon drawn(const std::function<void(QPainter&)>& draw)
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kFill);
    draw(p);
    return QIcon(pixmap);
}

} // namespace

QIcon viewButtonIcon(int bitmap)
{
    switch (bitmap) {
    case VIEW_LARGEICONS:
        return drawn([](QPainter& p) {
            for (int i = 0; i < 4; ++i)
                p.drawRoundedRect(QRectF(3 + (i % 2) * 10, 3 + (i / 2) * 10, 8, 8), 1.5, 1.5);
        });
    case VIEW_SMALLICONS:
        return drawn([](QPainter& p) {
            for (int i = 0; i < 9; ++i)
                p.drawRect(QRectF(3 + (i % 3) * 6.5, 3 + (i / 3) * 6.5, 4.5, 4.5));
        });
    case VIEW_LIST:
        return drawn([](QPainter& p) {
            for (int i = 0; i < 4; ++i) {
                p.drawRect(QRectF(3, 3 + i * 5, 3.5, 3.5));
                p.drawLine(QPointF(9, 4.8 + i * 5), QPointF(20, 4.8 + i * 5));
            }
        });
    case VIEW_DETAILS:
        return drawn([](QPainter& p) {
            p.drawRect(QRectF(2.5, 3, 19, 4));
            for (int i = 0; i < 3; ++i)
                p.drawLine(QPointF(3, 11 + i * 4.5), QPointF(21, 11 + i * 4.5));
            p.drawLine(QPointF(13, 7), QPointF(13, 21));
        });
    default:
        return drawn([](QPainter& p) {
            p.drawRoundedRect(QRectF(3, 3, 8, 8), 1.5, 1.5);
            p.drawRect(QRectF(13, 4, 8, 3));
            p.drawRect(QRectF(13, 9, 6, 2));
            for (int i = 0; i < 2; ++i)
                p.drawLine(QPointF(3, 15 + i * 4), QPointF(21, 15 + i * 4));
        });
    }
}

QIcon backIcon()
{
    return drawn([](QPainter& p) {
        QPainterPath arrow;
        arrow.moveTo(3, 12);
        arrow.lineTo(11, 4);
        arrow.lineTo(11, 9);
        arrow.lineTo(21, 9);
        arrow.lineTo(21, 15);
        arrow.lineTo(11, 15);
        arrow.lineTo(11, 20);
        arrow.closeSubpath();
        p.setBrush(QColor(70, 150, 80));
        p.drawPath(arrow);
    });
}

QIcon upIcon()
{
    return drawn([](QPainter& p) {
        p.setBrush(QColor(235, 190, 70));
        p.drawRoundedRect(QRectF(2, 8, 20, 13), 1.5, 1.5);
        QPainterPath arrow;
        arrow.moveTo(12, 2);
        arrow.lineTo(18, 9);
        arrow.lineTo(14.5, 9);
        arrow.lineTo(14.5, 17);
        arrow.lineTo(9.5, 17);
        arrow.lineTo(9.5, 9);
        arrow.lineTo(6, 9);
        arrow.closeSubpath();
        p.setBrush(QColor(70, 150, 80));
        p.drawPath(arrow);
    });
}

} // namespace browser
