#pragma once
// Smooth stretching of 24-bit bitmaps, the halftone of the drawing surface: area averaging
// where an axis shrinks, bilinear interpolation where it grows, separable, in fixed point.

#include "platform/base/WinTypes.h"
#include "platform/draw/DrawSurface.h"

#include <cstdint>

namespace orvel::draw {

// A 24-bit BGR destination, rows top-down.
struct TargetView {
    std::uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

// Stretches the whole source into dst of the target, clipped to the target.
void stretchBitmap(const BitmapView& source, TargetView target, const RECT& dst);

} // namespace orvel::draw
