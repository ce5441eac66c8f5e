// Names drawn from the kept images give the pixels drawing the text twice gives.
#include "namespace/views/QuadCanvas.h"

#include "testsupport/GuiApplicationTest.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

class QuadCanvasNames : public testsupport::GuiApplicationTest {};

// The name as the view writes it: 10 px from the left, the box ending 1 px above the bottom,
// black, then yellow 1 px up and left, clipped to the area.
void drawDirectly(QPainter& painter, const RECT& area, const QString& name)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(10);
    font.setWeight(QFont::Normal);
    font.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(font);
    const int lineHeight = QFontMetrics(font).height();
    const QRect box(area.left + 10, area.bottom - 1 - lineHeight,
                    std::max(0, area.right - area.left - 10), lineHeight);
    painter.setClipRect(QRect(area.left, area.top, area.right - area.left, area.bottom - area.top));
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    painter.setPen(QColor(0, 0, 0));
    painter.drawText(box, flags, name);
    painter.setPen(QColor(255, 255, 0));
    painter.drawText(box.translated(-1, -1), flags, name);
}

TEST_F(QuadCanvasNames, KeptNameImagesGiveThePixelsOfTextDrawnTwice)
{
    const QString names[] = {QStringLiteral("Cam 1"), QStringLiteral("Porch"),
                             QStringLiteral("A camera name far too long for its quadrant")};
    const RECT areas[] = {{0, 0, 160, 120}, {160, 120, 320, 240}, {7, 50, 60, 90}};
    // Twice over, so the second round draws from what the first kept.
    for (int round = 0; round < 2; ++round)
        for (const QString& name : names)
            for (const RECT& area : areas) {
                QImage got(330, 250, QImage::Format_RGB32);
                got.fill(QColor(40, 90, 140));
                QImage want = got.copy();
                {
                    QPainter painter(&got);
                    foldra::drawCameraName(painter, area, name);
                }
                {
                    QPainter painter(&want);
                    drawDirectly(painter, area, name);
                }
                EXPECT_EQ(got, want) << name.toStdString() << " in " << area.left << "," << area.top
                                     << " round " << round;
                int yellow = 0;
                for (int y = 0; y < got.height(); ++y)
                    for (int x = 0; x < got.width(); ++x)
                        yellow += got.pixelColor(x, y) == QColor(255, 255, 0);
                EXPECT_GT(yellow, 10) << name.toStdString();
            }
}

} // namespace
