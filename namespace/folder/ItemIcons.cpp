#include "namespace/folder/ItemIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <iterator>

namespace foldra {
namespace {

// Drawn on a 32-unit canvas, scaled for 16 pixels.
void drawFolder(QPainter& p, bool open, QColor body)
{
    p.setPen(QPen(body.darker(160), 1.2));
    p.setBrush(body.darker(115));
    p.drawRoundedRect(QRectF(2, 7, 12, 6), 1.5, 1.5);
    p.drawRoundedRect(QRectF(2, 9, 28, 19), 2, 2);
    if (open) {
        QPainterPath flap;
        flap.moveTo(5, 14);
        flap.lineTo(31, 14);
        flap.lineTo(27, 28);
        flap.lineTo(2, 28);
        flap.closeSubpath();
        p.setBrush(body.lighter(120));
        p.drawPath(flap);
    } else {
        p.setBrush(body);
        p.drawRoundedRect(QRectF(2, 12, 28, 16), 2, 2);
    }
}

void drawCamera(QPainter& p, QRectF r, bool live)
{
    qreal s = r.width() / 32.0;
    p.save();
    p.translate(r.topLeft());
    p.scale(s, s);
    p.setPen(QPen(QColor(40, 44, 52), 1.4));
    p.setBrush(QColor(96, 106, 120));
    p.drawRoundedRect(QRectF(3, 9, 21, 15), 3, 3);
    QPainterPath hood;
    hood.moveTo(24, 12);
    hood.lineTo(30, 9);
    hood.lineTo(30, 24);
    hood.lineTo(24, 21);
    hood.closeSubpath();
    p.setBrush(QColor(70, 78, 90));
    p.drawPath(hood);
    p.setBrush(QColor(180, 210, 240));
    p.drawEllipse(QPointF(13.5, 16.5), 5, 5);
    p.setBrush(QColor(30, 60, 110));
    p.drawEllipse(QPointF(13.5, 16.5), 2.4, 2.4);
    p.setPen(Qt::NoPen);
    p.setBrush(live ? QColor(230, 40, 40) : QColor(60, 160, 70));
    p.drawEllipse(QPointF(7, 12.5), 1.7, 1.7);
    p.restore();
}

void drawScreen(QPainter& p, QRectF r, QColor glass)
{
    p.setPen(QPen(QColor(40, 44, 52), 1.2));
    p.setBrush(QColor(60, 66, 76));
    p.drawRoundedRect(r, 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(glass);
    p.drawRect(r.adjusted(2, 2, -2, -2));
}

void drawKind(QPainter& p, ItemKind kind, bool open)
{
    QColor glass = open ? QColor(120, 200, 255) : QColor(70, 130, 190);
    switch (kind) {
    case ItemKind::Camera:
    case ItemKind::AddCamera:
        drawCamera(p, QRectF(0, 0, 32, 32), open);
        break;
    case ItemKind::LiveSite:
    case ItemKind::AddLiveSite: {
        p.setPen(QPen(QColor(30, 90, 150), 1.4));
        p.setBrush(open ? QColor(140, 200, 250) : QColor(90, 160, 220));
        p.drawEllipse(QPointF(14, 17), 11, 11);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(9, 6, 10, 22));
        p.drawLine(QPointF(3, 17), QPointF(25, 17));
        p.drawLine(QPointF(5, 11), QPointF(23, 11));
        p.drawLine(QPointF(5, 23), QPointF(23, 23));
        p.setPen(QPen(open ? QColor(230, 40, 40) : QColor(200, 120, 30), 2));
        p.drawArc(QRectF(20, 1, 11, 11), 0, 90 * 16);
        p.drawArc(QRectF(23, 4, 5, 5), 0, 90 * 16);
        break;
    }
    case ItemKind::QuadView:
    case ItemKind::AddQuadView:
        drawScreen(p, QRectF(2, 4, 28, 24), QColor(30, 34, 40));
        for (int i = 0; i < 4; ++i) {
            p.setBrush(i == 0 && open ? glass.lighter(130) : glass);
            p.drawRect(QRectF(5 + (i % 2) * 11.5, 7 + (i / 2) * 9.5, 10.5, 8.5));
        }
        break;
    case ItemKind::SwitchCam:
    case ItemKind::AddSwitchCam: {
        drawScreen(p, QRectF(1, 3, 20, 16), glass.darker(130));
        drawScreen(p, QRectF(10, 12, 20, 16), glass);
        p.setPen(QPen(open ? QColor(230, 40, 40) : QColor(240, 180, 30), 2.2));
        p.drawLine(QPointF(14, 20), QPointF(25, 20));
        p.drawLine(QPointF(21, 16.5), QPointF(25, 20));
        p.drawLine(QPointF(21, 23.5), QPointF(25, 20));
        break;
    }
    case ItemKind::Album:
    case ItemKind::AddAlbum: {
        p.setPen(QPen(QColor(90, 50, 20), 1.2));
        p.setBrush(QColor(150, 90, 40));
        p.drawRoundedRect(QRectF(4, 3, 24, 27), 2, 2);
        p.setBrush(QColor(245, 240, 225));
        p.drawRect(QRectF(8, 7, 17, 14));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(90, 170, 90));
        QPainterPath hill;
        hill.moveTo(8, 21);
        hill.lineTo(14, 13);
        hill.lineTo(19, 18);
        hill.lineTo(21, 16);
        hill.lineTo(25, 21);
        hill.closeSubpath();
        p.drawPath(hill);
        p.setBrush(QColor(250, 200, 40));
        p.drawEllipse(QPointF(21, 10.5), 2, 2);
        if (open) {
            p.setBrush(QColor(255, 255, 255, 160));
            p.drawRect(QRectF(8, 23, 17, 4));
        }
        break;
    }
    case ItemKind::AddFolder:
    case ItemKind::SubFolder:
    default:
        drawFolder(p, open, QColor(235, 190, 70));
        break;
    }
    if (kind == ItemKind::AddFolder || isAddItem(kind)) {
        // The badge that marks adding: a green disc with a white plus.
        p.setPen(QPen(QColor(20, 100, 30), 1));
        p.setBrush(QColor(50, 170, 60));
        p.drawEllipse(QPointF(24, 24), 7, 7);
        p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(24, 19.5), QPointF(24, 28.5));
        p.drawLine(QPointF(19.5, 24), QPointF(28.5, 24));
    }
}

} // namespace

int iconPosition(ItemKind kind, bool open)
{
    for (std::size_t i = 0; i < std::size(kIconKinds); ++i)
        if (kIconKinds[i] == kind)
            return static_cast<int>(2 * i) + (open ? 1 : 0);
    return -1;
}

int iconCount()
{
    return static_cast<int>(2 * std::size(kIconKinds));
}

QPixmap iconPixmap(int position, int size)
{
    if (position < 0 || position >= iconCount())
        return {};
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    drawKind(p, kIconKinds[position / 2], position % 2 == 1);
    return pixmap;
}

QIcon iconAt(int position)
{
    if (position < 0 || position >= iconCount())
        return {};
    QIcon icon;
    icon.addPixmap(iconPixmap(position, kIconLargeSize));
    icon.addPixmap(iconPixmap(position, kIconSmallSize));
    return icon;
}

} // namespace foldra
