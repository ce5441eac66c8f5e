#pragma once
// An off-screen drawing surface: a 24-bit BGR bitmap in memory, rows top-down.

#include "platform/draw/DrawSurface.h"

#include <vector>

namespace orvel::draw {

class MemorySurface final : public DrawSurface {
public:
    // Filled with fill (black by default).
    MemorySurface(int width, int height, Color fill = {});

    int width() const override { return m_width; }
    int height() const override { return m_height; }
    int stride() const { return m_stride; }
    const std::uint8_t* bits() const { return m_bits.data(); }
    // For painting onto the bitmap with other tools (text in a chosen font).
    std::uint8_t* bits() { return m_bits.data(); }

    // The pixel at (x, y), y counted from the top. Black outside the surface.
    Color pixel(int x, int y) const;

    void stretchBitmap(const BitmapView& source, const RECT& dst) override;
    void fillRect(const RECT& rect, Color color) override;
    bool drawText(std::string_view utf8, const RECT& rect, Color color,
                  TextAlign align = TextAlign::Left) override;

private:
    int m_width;
    int m_height;
    int m_stride;
    std::vector<std::uint8_t> m_bits;
};

} // namespace orvel::draw
