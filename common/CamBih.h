#pragma once
// The header of a decoded image, with the layout of a bitmap info header: 24-bit pixels in
// blue-green-red order, rows bottom-up, each row padded with zeros to a multiple of 4 bytes.

#include "platform/base/WinTypes.h"

#include <cstddef>

struct _CAM_BIH {
    UI4 biSize;
    std::int32_t biWidth;
    std::int32_t biHeight;
    WORD biPlanes;
    WORD biBitCount;
    UI4 biCompression;
    UI4 biSizeImage;
    std::int32_t biXPelsPerMeter;
    std::int32_t biYPelsPerMeter;
    UI4 biClrUsed;
    UI4 biClrImportant;
};
static_assert(sizeof(_CAM_BIH) == 40);
static_assert(offsetof(_CAM_BIH, biPlanes) == 12);
static_assert(offsetof(_CAM_BIH, biCompression) == 16);
static_assert(offsetof(_CAM_BIH, biSizeImage) == 20);
static_assert(offsetof(_CAM_BIH, biClrImportant) == 36);

// Bytes per row of a 24-bit image.
constexpr UI4 camBihStride(std::int32_t width)
{
    return (static_cast<UI4>(width) * 3 + 3) & ~3u;
}
