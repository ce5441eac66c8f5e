// The stretch's kept filters and its 4-byte layouts against what a fresh stretch of the old
// 3-byte layout gives: the same pixels, whatever sizes came before.
#include "platform/draw/Stretch.h"

#include "platform/draw/MemorySurface.h"
#include "platform/draw/QtSurface.h"
#include "testsupport/GuiApplicationTest.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace orvel::draw;

namespace {

// A picture with detail in both directions, bottom-up, as 3 or 4 bytes a pixel.
struct Picture {
    int width, height, bytesPerPixel;
    std::vector<std::uint8_t> bits;
    Picture(int w, int h, int bpp) : width(w), height(h), bytesPerPixel(bpp)
    {
        const int stride = (w * bpp + 3) & ~3;
        bits.assign(static_cast<std::size_t>(stride) * h, 0x5a);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                std::uint8_t* p = bits.data() + static_cast<std::size_t>(y) * stride + x * bpp;
                p[0] = static_cast<std::uint8_t>(x * 7 + y * 3);
                p[1] = static_cast<std::uint8_t>((x * y) ^ 0x3c);
                p[2] = static_cast<std::uint8_t>(255 - x * 4);
                if (bpp == 4)
                    p[3] = 0x11; // not read
            }
    }
    BitmapView view() const { return {bits.data(), width, height, bytesPerPixel}; }
};

std::vector<Color> pixels(const MemorySurface& s)
{
    std::vector<Color> out;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            out.push_back(s.pixel(x, y));
    return out;
}

// Drawn on a thread of its own: a stretch with nothing kept from before.
std::vector<Color> freshStretch(const BitmapView& source, int w, int h, const RECT& dst,
                                PixelFormat format = PixelFormat::Bgr24)
{
    std::vector<Color> out;
    std::thread([&] {
        MemorySurface surface(w, h, {1, 2, 3}, format);
        surface.stretchBitmap(source, dst);
        out = pixels(surface);
    }).join();
    return out;
}

TEST(Stretch, KeptFiltersGiveTheSamePixelsAsAFreshStretchAcrossSizeChanges)
{
    const Picture picture(64, 48, 3);
    // More sizes than are kept, shrinking, enlarging and mixed, with the first ones again
    // after the others pushed them out; some rectangles reach outside the surface.
    const std::vector<RECT> targets = {
        {0, 0, 29, 24},  {0, 0, 50, 37}, {0, 0, 29, 24}, {0, 0, 64, 24},  {-5, 3, 13, 43},
        {2, 2, 100, 30}, {0, 0, 31, 97}, {0, 0, 7, 5},   {0, 0, 128, 96}, {4, -6, 40, 20},
        {0, 0, 63, 47},  {0, 0, 29, 24}, {0, 0, 50, 37}, {-5, 3, 13, 43}, {0, 0, 65, 49},
    };
    for (const RECT& dst : targets) {
        MemorySurface surface(70, 50, {1, 2, 3});
        surface.stretchBitmap(picture.view(), dst);
        EXPECT_EQ(pixels(surface), freshStretch(picture.view(), 70, 50, dst))
            << dst.left << "," << dst.top << " " << dst.right << "x" << dst.bottom;
    }
}

TEST(Stretch, FourBytePicturesAndSurfacesGiveTheSamePixels)
{
    const Picture three(64, 48, 3);
    const Picture four(64, 48, 4);
    for (const RECT dst : {RECT{0, 0, 64, 48}, RECT{3, 1, 32, 25}, RECT{0, 0, 59, 48},
                           RECT{-7, -2, 90, 70}, RECT{0, 0, 40, 100}, RECT{10, 10, 17, 13}}) {
        const std::vector<Color> reference = freshStretch(three.view(), 80, 60, dst);
        for (const Picture* source : {&three, &four})
            for (PixelFormat format : {PixelFormat::Bgr24, PixelFormat::Bgrx32}) {
                MemorySurface surface(80, 60, {1, 2, 3}, format);
                surface.stretchBitmap(source->view(), dst);
                EXPECT_EQ(pixels(surface), reference)
                    << source->bytesPerPixel << " bytes into "
                    << (format == PixelFormat::Bgrx32 ? "32" : "24") << " bits, " << dst.right
                    << "x" << dst.bottom;
                if (format != PixelFormat::Bgrx32)
                    continue;
                // The fourth byte is opaque, so the window system's format paints it as is.
                bool opaque = true;
                for (int y = 0; y < 60; ++y)
                    for (int x = 0; x < 80; ++x)
                        opaque = opaque && surface.bits()[y * surface.stride() + x * 4 + 3] == 0xff;
                EXPECT_TRUE(opaque);
                EXPECT_EQ(surface.image().format(), QImage::Format_RGB32);
                const QColor c = surface.image().pixelColor(40, 30);
                EXPECT_EQ(Color(static_cast<std::uint8_t>(c.red()),
                                static_cast<std::uint8_t>(c.green()),
                                static_cast<std::uint8_t>(c.blue())),
                          surface.pixel(40, 30));
            }
    }
}

class QtStretch : public testsupport::GuiApplicationTest {};

TEST_F(QtStretch, PainterSurfaceGivesTheMemorySurfacesPixelsAndClipsToItsDevice)
{
    const Picture picture(64, 48, 4);
    for (const RECT dst : {RECT{5, 5, 40, 30}, RECT{-10, 20, 70, 90}, RECT{0, 0, 64, 48}}) {
        QImage image(60, 50, QImage::Format_RGB32);
        image.fill(QColor(1, 2, 3));
        {
            QPainter painter(&image);
            QtSurface surface(painter);
            surface.stretchBitmap(picture.view(), dst);
            // Twice in a row at the same size: the kept working image is drawn afresh.
            surface.stretchBitmap(picture.view(), dst);
        }
        MemorySurface reference(60, 50, {1, 2, 3}, PixelFormat::Bgrx32);
        reference.stretchBitmap(picture.view(), dst);
        int differing = 0;
        for (int y = 0; y < 50; ++y)
            for (int x = 0; x < 60; ++x) {
                const Color want = reference.pixel(x, y);
                differing += image.pixelColor(x, y) != QColor(want.r, want.g, want.b);
            }
        EXPECT_EQ(differing, 0) << dst.left << "," << dst.top;
    }
}

TEST_F(QtStretch, AMovedPainterStillDrawsThePictureInPlace)
{
    const Picture picture(64, 48, 4);
    QImage image(60, 50, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        painter.translate(10, 5);
        QtSurface surface(painter);
        surface.stretchBitmap(picture.view(), {0, 0, 32, 24});
    }
    EXPECT_EQ(image.pixelColor(5, 2), QColor(Qt::black)); // left of and above the moved rect
    MemorySurface reference(32, 24, {}, PixelFormat::Bgrx32);
    reference.stretchBitmap(picture.view(), {0, 0, 32, 24});
    const Color want = reference.pixel(16, 12);
    const QColor got = image.pixelColor(26, 17);
    EXPECT_NEAR(got.red(), want.r, 8);
    EXPECT_NEAR(got.green(), want.g, 8);
    EXPECT_NEAR(got.blue(), want.b, 8);
}

} // namespace
