#pragma once
// Smooth stretching of 24-bit bitmaps, the halftone of the drawing surface: area averaging
// where an axis shrinks, bilinear interpolation where it grows, separable, in fixed point.

#include "platform/base/WinTypes.h"
#include "platform/draw/DrawSurface.h"

#include <cstdint>

namespace orvel::draw {

// A destination, rows top-down: 24-bit BGR, or with bytesPerPixel 4 B, G, R, 0xff (the
// window system's 32-bit format, which paints without a conversion).
struct TargetView {
    std::uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    int bytesPerPixel = 3;
};

// Stretches the whole source into dst of the target, clipped to the target. The filter tables
// of recent sizes and the working rows are kept per thread, so a stream of frames of one size
// allocates nothing after its first.
void stretchBitmap(const BitmapView& source, TargetView target, const RECT& dst);

} // namespace orvel::draw
