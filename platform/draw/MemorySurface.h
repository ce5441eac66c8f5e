#pragma once
// An off-screen drawing surface: a bitmap in memory, rows top-down, 24-bit BGR or the window
// system's 32-bit format (B, G, R, 0xff), which a window paints from without converting.

#include "platform/draw/DrawSurface.h"

#include <QImage>
#include <vector>

namespace orvel::draw {

enum class PixelFormat { Bgr24, Bgrx32 };

class MemorySurface final : public DrawSurface {
public:
    // Filled with fill (black by default).
    MemorySurface(int width, int height, Color fill = {}, PixelFormat format = PixelFormat::Bgr24);

    int width() const override { return m_width; }
    int height() const override { return m_height; }
    int stride() const { return m_stride; }
    PixelFormat format() const { return m_format; }
    int bytesPerPixel() const { return m_format == PixelFormat::Bgrx32 ? 4 : 3; }
    const std::uint8_t* bits() const { return m_bits.data(); }
    // For painting onto the bitmap with other tools (text in a chosen font).
    std::uint8_t* bits() { return m_bits.data(); }

    // The bitmap as an image that shares its bits: to paint it, or onto it with QPainter. One
    // image for the surface's life, so a painter on it reuses its paint engine.
    QImage& image();

    // The pixel at (x, y), y counted from the top. Black outside the surface.
    Color pixel(int x, int y) const;

    void stretchBitmap(const BitmapView& source, const RECT& dst) override;
    void fillRect(const RECT& rect, Color color) override;
    bool drawText(std::string_view utf8, const RECT& rect, Color color,
                  TextAlign align = TextAlign::Left) override;

private:
    int m_width;
    int m_height;
    PixelFormat m_format;
    int m_stride;
    std::vector<std::uint8_t> m_bits;
    QImage m_image;
};

} // namespace orvel::draw
