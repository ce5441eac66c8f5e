#pragma once
// JPEG files for the tests, made with the real encoder.

#include <cstdint>
#include <functional>
#include <turbojpeg.h>
#include <vector>

namespace medrix::test {

struct Rgb {
    std::uint8_t r, g, b;
};

// A width x height JPEG whose pixel (x, y) (y from the top) is colour(x, y).
inline std::vector<std::uint8_t> makeJpeg(int width, int height,
                                          const std::function<Rgb(int, int)>& colour,
                                          bool grey = false, int quality = 95)
{
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            Rgb c = colour(x, y);
            std::uint8_t* p = rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
        }
    tjhandle handle = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    tjCompress2(handle, rgb.data(), width, width * 3, height, TJPF_RGB, &out, &size,
                grey ? TJSAMP_GRAY : TJSAMP_420, quality, 0);
    std::vector<std::uint8_t> jpeg(out, out + size);
    tjFree(out);
    tjDestroy(handle);
    return jpeg;
}

inline std::vector<std::uint8_t> makeGradientJpeg(int width, int height, bool grey = false)
{
    return makeJpeg(
        width, height,
        [&](int x, int y) {
            return Rgb{static_cast<std::uint8_t>(x * 255 / width),
                       static_cast<std::uint8_t>(y * 255 / height),
                       static_cast<std::uint8_t>((x + y) % 256)};
        },
        grey);
}

// Four solid quadrants: red top left, green top right, blue bottom left, white bottom right.
inline std::vector<std::uint8_t> makeQuadrantJpeg(int width, int height)
{
    return makeJpeg(
        width, height,
        [&](int x, int y) {
            bool right = x >= width / 2, bottom = y >= height / 2;
            if (!bottom)
                return right ? Rgb{0, 255, 0} : Rgb{255, 0, 0};
            return right ? Rgb{255, 255, 255} : Rgb{0, 0, 255};
        },
        false, 100);
}

// What the decoder itself gives for this scale: BGR, bottom-up, rows padded to 4.
inline std::vector<std::uint8_t> referenceDecode(const std::vector<std::uint8_t>& jpeg, int nType,
                                                 int* outWidth, int* outHeight)
{
    tjhandle handle = tjInitDecompress();
    int w = 0, h = 0, sub = 0, cs = 0;
    tjDecompressHeader3(handle, jpeg.data(), jpeg.size(), &w, &h, &sub, &cs);
    tjscalingfactor factor{1, nType == 2 ? 2 : nType == 4 ? 4 : 1};
    int sw = TJSCALED(w, factor), sh = TJSCALED(h, factor);
    int stride = (sw * 3 + 3) & ~3;
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride) * sh, 0);
    tjDecompress2(handle, jpeg.data(), jpeg.size(), bits.data(), sw, stride, sh, TJPF_BGR,
                  TJFLAG_BOTTOMUP);
    tjDestroy(handle);
    *outWidth = sw;
    *outHeight = sh;
    return bits;
}

} // namespace medrix::test
