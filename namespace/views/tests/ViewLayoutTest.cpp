// Where a live view puts its image in the three layout modes, what it fills around it, and
// how a click in the window becomes a point of the image.
#include "namespace/views/ImagePlacement.h"
#include "platform/draw/MemorySurface.h"

#include <gtest/gtest.h>

using namespace foldra;

// Found by argument lookup for the global RECT.
static bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

static std::ostream& operator<<(std::ostream& out, const RECT& r)
{
    return out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

TEST(ImagePlacement, DefaultKeepsTheAspectAndCentres)
{
    EXPECT_EQ(placeImage(Placement::KeepAspect, 800, 400, 320, 240), (RECT{133, 0, 666, 400}));
    // Limited by the width: trunc(600 / (4/3)) = 450 high, centred vertically.
    EXPECT_EQ(placeImage(Placement::KeepAspect, 600, 800, 320, 240), (RECT{0, 175, 600, 625}));
    // An unknown size stretches over the client instead of dividing by zero.
    EXPECT_EQ(placeImage(Placement::KeepAspect, 50, 40, 0, 0), (RECT{0, 0, 50, 40}));
}

TEST(ImagePlacement, RetainSizeCentresWhenSmallerAndScrollsWhenLarger)
{
    EXPECT_EQ(placeImage(Placement::RetainSize, 800, 400, 320, 240), (RECT{240, 80, 560, 320}));
    EXPECT_EQ(placeImage(Placement::RetainSize, 400, 300, 640, 480, {100, 50}),
              (RECT{-100, -50, 540, 430}));
    // Wider than the window but not as high: centred vertically only.
    EXPECT_EQ(placeImage(Placement::RetainSize, 400, 600, 640, 480), (RECT{0, 60, 640, 540}));
}

TEST(ImagePlacement, SizeToFitTakesTheWholeClient)
{
    EXPECT_EQ(placeImage(Placement::SizeToFit, 800, 400, 320, 240), (RECT{0, 0, 800, 400}));
}

TEST(ImagePlacement, FillsDarkGreyOnlyAroundTheImage)
{
    orvel::draw::MemorySurface surface(100, 80, {255, 255, 255});
    const RECT client{0, 0, 100, 80};
    const RECT image{20, 10, 70, 60};
    fillAround(surface, client, image);
    EXPECT_EQ(surface.pixel(0, 0), kViewBackground);
    EXPECT_EQ(surface.pixel(99, 79), kViewBackground);
    EXPECT_EQ(surface.pixel(19, 30), kViewBackground);
    EXPECT_EQ(surface.pixel(70, 30), kViewBackground);
    EXPECT_EQ(surface.pixel(20, 10), (orvel::draw::Color{255, 255, 255}));
    EXPECT_EQ(surface.pixel(69, 59), (orvel::draw::Color{255, 255, 255}));
    // An image larger than the client (scrolled) leaves nothing to fill.
    orvel::draw::MemorySurface covered(100, 80, {255, 255, 255});
    fillAround(covered, client, RECT{-30, -20, 300, 200});
    EXPECT_EQ(covered.pixel(0, 0), (orvel::draw::Color{255, 255, 255}));
    EXPECT_EQ(covered.pixel(99, 79), (orvel::draw::Color{255, 255, 255}));
}

TEST(ImagePlacement, ClickPointsScaleIntoImageCoordinates)
{
    const RECT shown{133, 0, 666, 400}; // 320 x 240 shown 533 x 400
    int x = -1;
    int y = -1;
    ASSERT_TRUE(imagePoint(shown, 320, 240, 133 + 266, 200, &x, &y));
    EXPECT_EQ(x, 266 * 320 / 533);
    EXPECT_EQ(y, 200 * 240 / 400);
    ASSERT_TRUE(imagePoint(shown, 320, 240, 133, 0, &x, &y));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_FALSE(imagePoint(shown, 320, 240, 132, 10, &x, &y)); // in the grey border
    EXPECT_FALSE(imagePoint(shown, 320, 240, 666, 10, &x, &y));
    EXPECT_FALSE(imagePoint(RECT{0, 0, 0, 0}, 320, 240, 0, 0, &x, &y));
}
