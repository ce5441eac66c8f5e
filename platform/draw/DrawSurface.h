#pragma once
// A drawing surface: what a device context was to the components. It stretches a bottom-up BGR
// bitmap into a rectangle with smooth scaling, fills rectangles and draws text.
// MemorySurface paints into an off-screen bitmap, QtSurface through a QPainter.
//
// An HDC names a surface across interfaces: hdc() gives it, fromHdc() maps it back. The
// surface must outlive every use of its handle. A surface is used by one thread at a time.

#include "platform/base/WinTypes.h"

#include <cstdint>
#include <string_view>

namespace orvel::draw {

struct Color {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    bool operator==(const Color&) const = default;
};

// A bitmap as decoded images are held: BGR, the last row first, rows padded to 4. With
// bytesPerPixel 4 each pixel is B, G, R and a fourth byte that is not read (decoded for drawing:
// the layout the stretch reads fastest).
struct BitmapView {
    const std::uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    int bytesPerPixel = 3;
    int stride() const { return (width * bytesPerPixel + 3) & ~3; }
};

enum class TextAlign { Left, Center, Right };

class DrawSurface {
public:
    DrawSurface() = default;
    DrawSurface(const DrawSurface&) = delete;
    DrawSurface& operator=(const DrawSurface&) = delete;
    virtual ~DrawSurface();

    HDC hdc() { return reinterpret_cast<HDC>(&m_handle); }
    // The surface of a handle from hdc(); null for a null or foreign handle.
    static DrawSurface* fromHdc(HDC hdc);

    virtual int width() const = 0;
    virtual int height() const = 0;

    // The whole bitmap into dst (right - left by bottom - top), without keeping its aspect.
    // Parts outside the surface are clipped; an empty or inverted rectangle draws nothing.
    virtual void stretchBitmap(const BitmapView& source, const RECT& dst) = 0;
    virtual void fillRect(const RECT& rect, Color color) = 0;
    // One line of UTF-8 text, vertically centred in rect. False when text cannot be drawn
    // here (a memory surface without a running GUI application has no fonts).
    virtual bool drawText(std::string_view utf8, const RECT& rect, Color color,
                          TextAlign align = TextAlign::Left) = 0;

private:
    // What an HDC points at: a plain record, so a stray handle can be told from a live one.
    struct Handle {
        std::uint32_t magic;
        DrawSurface* surface;
    };
    static constexpr std::uint32_t kMagic = 0x53524644; // "DFRS"
    Handle m_handle{kMagic, this};
};

} // namespace orvel::draw
