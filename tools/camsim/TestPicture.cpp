#include "tools/camsim/TestPicture.h"

#include "tools/camsim/BitmapFont.h"

#include <algorithm>
#include <cstdio>

namespace camsim {
namespace {

constexpr int kCellShift = 9; // 512 scene pixels per cell: 8 × 6 cells
constexpr int kCellMask = (1 << kCellShift) - 1;
constexpr int kCellsAcross = kSceneWidth >> kCellShift;
constexpr int kLabelOrigin = 48;
constexpr int kLabelScale = 20; // scene pixels per font pixel of the cell names
constexpr int kGridLine = 6;

void fill(std::vector<std::uint8_t>& rgb, int width, int x0, int y0, int x1, int y1, Rgb colour)
{
    for (int y = y0; y < y1; ++y) {
        std::uint8_t* p = rgb.data() + (static_cast<std::size_t>(y) * width + x0) * 3;
        for (int x = x0; x < x1; ++x, p += 3) {
            p[0] = colour.r;
            p[1] = colour.g;
            p[2] = colour.b;
        }
    }
}

void drawText(std::vector<std::uint8_t>& rgb, int width, int height, int x, int y, int scale,
              const std::string& text, Rgb colour)
{
    for (char c : text) {
        const Glyph& glyph = glyphFor(c);
        for (int row = 0; row < kGlyphHeight; ++row)
            for (int col = 0; col < kGlyphWidth; ++col)
                if (glyph[row] & (0x10 >> col)) {
                    int px = x + col * scale;
                    int py = y + row * scale;
                    fill(rgb, width, std::min(px, width), std::min(py, height),
                         std::min(px + scale, width), std::min(py + scale, height), colour);
                }
        x += (kGlyphWidth + 1) * scale;
    }
}

} // namespace

ViewRect viewRect(const Viewport& viewport, int width, int height)
{
    double fit = std::min(double(kSceneWidth) / width, double(kSceneHeight) / height);
    double step = fit / viewport.magnification();
    double viewWidth = width * step;
    double viewHeight = height * step;
    double left =
        std::clamp(viewport.centerX * kSceneWidth - viewWidth / 2, 0.0, kSceneWidth - viewWidth);
    double top = std::clamp(viewport.centerY * kSceneHeight - viewHeight / 2, 0.0,
                            kSceneHeight - viewHeight);
    return {left, top, step};
}

Rgb inputColour(int camera)
{
    static constexpr Rgb kColours[4] = {{200, 30, 30}, {30, 160, 30}, {30, 60, 200}, {220, 140, 0}};
    return kColours[(camera - 1) & 3];
}

std::string clockText(std::int64_t timeMs)
{
    std::int64_t dayMs = ((timeMs % 86400000) + 86400000) % 86400000;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", int(dayMs / 3600000),
                  int(dayMs / 60000 % 60), int(dayMs / 1000 % 60), int(dayMs % 1000));
    return text;
}

TestPicture::TestPicture(std::uint32_t seed)
{
    // A small LCG: the same seed paints the same scene on every machine.
    std::uint32_t state = seed * 2654435761u + 12345u;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<std::uint8_t>(64 + ((state >> 24) % 160));
    };
    for (auto& input : m_palette)
        for (Rgb& colour : input)
            colour = {next(), next(), next()};
}

void TestPicture::render(const FrameFacts& facts, std::vector<std::uint8_t>& rgb) const
{
    const int width = facts.width;
    const int height = facts.height;
    rgb.resize(static_cast<std::size_t>(width) * height * 3);
    const Rgb* palette = m_palette[(facts.camera - 1) & 3];

    // The scene, sampled in 16.16 fixed point.
    ViewRect view = viewRect(facts.viewport, width, height);
    const auto stepFixed = static_cast<std::int64_t>(view.step * 65536.0);
    const auto leftFixed = static_cast<std::int64_t>(view.left * 65536.0);
    for (int y = 0; y < height; ++y) {
        int sy = static_cast<int>(view.top + y * view.step);
        int cellY = std::min(sy >> kCellShift, kSceneHeight / 512 - 1);
        int ly = sy & kCellMask;
        int labelRow = (ly - kLabelOrigin) / kLabelScale;
        bool inLabelRows = ly >= kLabelOrigin && labelRow < kGlyphHeight;
        int shade = 160 + (ly >> 2);
        std::uint8_t* p = rgb.data() + static_cast<std::size_t>(y) * width * 3;
        std::int64_t sxFixed = leftFixed;
        for (int x = 0; x < width; ++x, p += 3, sxFixed += stepFixed) {
            int sx = static_cast<int>(sxFixed >> 16);
            int cellX = std::min(sx >> kCellShift, kCellsAcross - 1);
            int lx = sx & kCellMask;
            Rgb colour;
            if (lx < kGridLine || ly < kGridLine) {
                colour = {40, 40, 40};
            } else {
                colour = palette[cellY * kCellsAcross + cellX];
                colour = {std::uint8_t(std::min(255, colour.r * shade >> 8)),
                          std::uint8_t(std::min(255, colour.g * shade >> 8)),
                          std::uint8_t(std::min(255, colour.b * shade >> 8))};
                if (inLabelRows && lx >= kLabelOrigin) {
                    int gx = (lx - kLabelOrigin) / kLabelScale;
                    int ch = gx / (kGlyphWidth + 1);
                    int col = gx % (kGlyphWidth + 1);
                    if (ch < 2 && col < kGlyphWidth) {
                        char name = ch == 0 ? char('A' + cellX) : char('1' + cellY);
                        if (glyphFor(name)[labelRow] & (0x10 >> col))
                            colour = {20, 20, 20};
                    }
                }
            }
            p[0] = colour.r;
            p[1] = colour.g;
            p[2] = colour.b;
        }
    }

    // The ball runs back and forth along the lower third, a few pixels per frame.
    int radius = std::max(4, height / 10);
    int travel = std::max(1, width - 2 * radius);
    int speed = std::max(2, width / 60);
    auto phase = static_cast<int>((facts.frame * speed) % (2 * static_cast<std::uint64_t>(travel)));
    int cx = radius + (phase < travel ? phase : 2 * travel - phase);
    int cy = height * 3 / 4;
    for (int y = std::max(0, cy - radius); y < std::min(height, cy + radius + 1); ++y)
        for (int x = std::max(0, cx - radius); x < std::min(width, cx + radius + 1); ++x) {
            int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
            if (d2 > radius * radius)
                continue;
            bool rim = d2 > (radius - std::max(1, radius / 8)) * (radius - std::max(1, radius / 8));
            std::uint8_t v = rim ? 0 : 250;
            std::uint8_t* p = rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
            p[0] = p[1] = p[2] = v;
        }

    // The facts box.
    const int scale = std::max(1, height / 200);
    const int pad = 2 * scale;
    char frameText[32];
    std::snprintf(frameText, sizeof frameText, "F %06llu",
                  static_cast<unsigned long long>(facts.frame));
    const std::string lines[] = {"CAM " + std::to_string(facts.camera),
                                 std::to_string(width) + "X" + std::to_string(height), frameText,
                                 clockText(facts.timeMs)};
    std::size_t longest = 0;
    for (const std::string& line : lines)
        longest = std::max(longest, line.size());
    const int lineHeight = (kGlyphHeight + 2) * scale;
    int boxWidth = std::min(width, pad * 2 + static_cast<int>(longest) * (kGlyphWidth + 1) * scale);
    int boxHeight = std::min(height, pad * 2 + 4 * lineHeight - 2 * scale);
    fill(rgb, width, 0, 0, boxWidth, boxHeight, inputColour(facts.camera));
    for (int i = 0; i < 4; ++i)
        drawText(rgb, width, height, pad, pad + i * lineHeight, scale, lines[i], {255, 255, 255});
}

} // namespace camsim
