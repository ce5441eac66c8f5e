#include "viewer/app/VistelIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace vistel {

namespace {

const QColor kInk{0, 0, 0};

QIcon drawn(QSize size, const std::function<void(QPainter&)>& paint)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p);
    p.end();
    return QIcon(pixmap);
}

} // namespace

QIcon playIcon()
{
    return drawn(kButtonImageSize, [](QPainter& p) {
        QPainterPath path;
        path.moveTo(4, 2);
        path.lineTo(13, 7.5);
        path.lineTo(4, 13);
        path.closeSubpath();
        p.fillPath(path, QColor(0, 128, 0));
    });
}

QIcon pauseIcon()
{
    return drawn(kButtonImageSize, [](QPainter& p) {
        p.fillRect(QRectF(4, 2, 3, 11), kInk);
        p.fillRect(QRectF(9, 2, 3, 11), kInk);
    });
}

QIcon stopIcon()
{
    return drawn(kButtonImageSize, [](QPainter& p) { p.fillRect(QRectF(3, 2, 10, 10), kInk); });
}

QIcon aboutIcon()
{
    return drawn(kButtonImageSize, [](QPainter& p) {
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(13);
        p.setFont(font);
        p.setPen(QColor(0, 0, 160));
        p.drawText(QRectF(0, 0, 16, 15), Qt::AlignCenter, QStringLiteral("?"));
    });
}

QIcon applicationIcon()
{
    return drawn({32, 32}, [](QPainter& p) {
        // A strip of film with a play mark.
        p.fillRect(QRectF(2, 5, 28, 22), QColor(40, 40, 40));
        for (int x = 4; x < 30; x += 5) {
            p.fillRect(QRectF(x, 7, 3, 2), Qt::white);
            p.fillRect(QRectF(x, 23, 3, 2), Qt::white);
        }
        p.fillRect(QRectF(5, 11, 22, 10), QColor(90, 140, 200));
        QPainterPath path;
        path.moveTo(13, 12);
        path.lineTo(20, 16);
        path.lineTo(13, 20);
        path.closeSubpath();
        p.fillPath(path, Qt::white);
    });
}

} // namespace vistel
