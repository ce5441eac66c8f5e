#pragma once
// A drawing surface over a QPainter, for widgets: a paintEvent makes the painter and hands
// the surface's handle to whatever draws through an HDC.

#include "platform/draw/DrawSurface.h"

class QPainter;

namespace orvel::draw {

class QtSurface final : public DrawSurface {
public:
    // The painter must be active and outlive the surface.
    explicit QtSurface(QPainter& painter);

    int width() const override;
    int height() const override;

    void stretchBitmap(const BitmapView& source, const RECT& dst) override;
    void fillRect(const RECT& rect, Color color) override;
    bool drawText(std::string_view utf8, const RECT& rect, Color color,
                  TextAlign align = TextAlign::Left) override;

private:
    QPainter& m_painter;
};

} // namespace orvel::draw
