#include "platform/draw/MemorySurface.h"
#include "platform/draw/QtSurface.h"
#include "testsupport/GuiApplicationTest.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace orvel::draw;

namespace {

// A bottom-up BGR bitmap built from top-down rows of colours.
struct TestBitmap {
    int width, height;
    std::vector<std::uint8_t> bits;
    TestBitmap(int w, int h, const std::vector<Color>& topDown)
        : width(w), height(h), bits(static_cast<std::size_t>((w * 3 + 3) & ~3) * h, 0xee)
    {
        int stride = (w * 3 + 3) & ~3;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const Color& c = topDown[static_cast<std::size_t>(y * w + x)];
                std::uint8_t* p = bits.data() + (h - 1 - y) * stride + x * 3;
                p[0] = c.b;
                p[1] = c.g;
                p[2] = c.r;
            }
    }
    BitmapView view() const { return {bits.data(), width, height}; }
};

const Color kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255},
    kBlack{0, 0, 0};

TEST(MemorySurface, SameSizeDrawTurnsBottomUpRowsTheRightWayUp)
{
    TestBitmap bmp(3, 2, {kRed, kGreen, kBlue, kWhite, kBlack, kRed});
    MemorySurface surface(5, 4, kBlue);
    surface.stretchBitmap(bmp.view(), {1, 1, 4, 3});
    EXPECT_EQ(surface.pixel(1, 1), kRed);
    EXPECT_EQ(surface.pixel(3, 1), kBlue);
    EXPECT_EQ(surface.pixel(1, 2), kWhite);
    EXPECT_EQ(surface.pixel(3, 2), kRed);
    EXPECT_EQ(surface.pixel(0, 0), kBlue); // outside the rectangle untouched
    EXPECT_EQ(surface.pixel(4, 3), kBlue);
}

TEST(MemorySurface, EnlargingInterpolatesBetweenSourcePixels)
{
    TestBitmap bmp(2, 1, {kBlack, kWhite});
    MemorySurface surface(8, 2);
    surface.stretchBitmap(bmp.view(), {0, 0, 8, 2});
    EXPECT_EQ(surface.pixel(0, 0), kBlack);
    EXPECT_EQ(surface.pixel(7, 1), kWhite);
    // Smooth, not nearest: the middle lies between, rising left to right.
    Color left = surface.pixel(3, 0), right = surface.pixel(4, 0);
    EXPECT_GT(left.r, 0);
    EXPECT_LT(right.r, 255);
    EXPECT_LT(left.r, right.r);
}

TEST(MemorySurface, ShrinkingAveragesTheCoveredArea)
{
    // One-pixel stripes: sampling would keep black or white, averaging gives grey.
    std::vector<Color> stripes;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            stripes.push_back(x % 2 ? kWhite : kBlack);
    TestBitmap bmp(8, 8, stripes);
    MemorySurface surface(4, 4);
    surface.stretchBitmap(bmp.view(), {0, 0, 4, 4});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_NEAR(surface.pixel(x, y).r, 128, 1) << x << "," << y;
            EXPECT_NEAR(surface.pixel(x, y).g, 128, 1);
        }
}

TEST(MemorySurface, RectanglesReachingOutsideAreClipped)
{
    TestBitmap bmp(2, 2, {kRed, kGreen, kBlue, kWhite});
    MemorySurface surface(6, 6, kBlack);
    // Only the bottom-right quarter is visible: white, blended towards its neighbours at the
    // visible edge.
    surface.stretchBitmap(bmp.view(), {-4, -4, 4, 4});
    EXPECT_EQ(surface.pixel(3, 3), kWhite);
    EXPECT_GT(surface.pixel(0, 0).b, 128);
    EXPECT_GT(surface.pixel(0, 0).r, 64);
    EXPECT_EQ(surface.pixel(4, 4), kBlack);
    surface.stretchBitmap(bmp.view(), {4, 4, 12, 12});
    EXPECT_EQ(surface.pixel(4, 4), kRed);
    EXPECT_EQ(surface.pixel(5, 5), kRed);
    surface.stretchBitmap(bmp.view(), {5, 5, 1, 1}); // inverted: nothing
    EXPECT_EQ(surface.pixel(4, 4), kRed);
    surface.fillRect({-5, 4, 100, 5}, kGreen);
    EXPECT_EQ(surface.pixel(0, 4), kGreen);
    EXPECT_EQ(surface.pixel(5, 4), kGreen);
    EXPECT_EQ(surface.pixel(5, 5), kRed);
}

TEST(DrawSurface, HandlesMapBackToTheirSurface)
{
    auto surface = std::make_unique<MemorySurface>(2, 2);
    HDC hdc = surface->hdc();
    EXPECT_EQ(DrawSurface::fromHdc(hdc), surface.get());
    EXPECT_EQ(DrawSurface::fromHdc(nullptr), nullptr);
    std::uint32_t notASurface[8] = {};
    EXPECT_EQ(DrawSurface::fromHdc(reinterpret_cast<HDC>(notASurface)), nullptr);
}

TEST(MemorySurface, TextNeedsAGuiApplication)
{
    MemorySurface surface(40, 20, kWhite);
    if (QGuiApplication::instance())
        GTEST_SKIP() << "a GUI application is running";
    EXPECT_FALSE(surface.drawText("Hi", {0, 0, 40, 20}, kBlack));
}

class QtDrawing : public testsupport::GuiApplicationTest {};

TEST_F(QtDrawing, PainterSurfaceStretchesFillsAndWrites)
{
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        QtSurface surface(painter);
        EXPECT_EQ(surface.width(), 20);
        EXPECT_EQ(DrawSurface::fromHdc(surface.hdc()), &surface);
        TestBitmap bmp(2, 2, {kRed, kRed, kBlue, kBlue});
        surface.stretchBitmap(bmp.view(), {0, 0, 10, 10});
        surface.fillRect({10, 0, 20, 10}, kGreen);
    }
    EXPECT_EQ(QColor(image.pixel(5, 0)), QColor(255, 0, 0)); // top row red
    EXPECT_EQ(QColor(image.pixel(5, 9)), QColor(0, 0, 255)); // bottom row blue
    EXPECT_EQ(QColor(image.pixel(15, 5)), QColor(0, 255, 0));
}

TEST_F(QtDrawing, MemorySurfaceWritesTextWithAGuiApplication)
{
    MemorySurface surface(60, 20, kWhite);
    ASSERT_TRUE(surface.drawText("Hello", {0, 0, 60, 20}, kBlack));
    int dark = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x)
            dark += surface.pixel(x, y).r < 128;
    EXPECT_GT(dark, 10);
}

} // namespace
