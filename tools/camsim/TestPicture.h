#pragma once
// The picture a simulated camera sends: a view into a large labelled scene (a grid of coloured
// cells named A1 … H6) that PTZ pans and zooms over, a ball that moves with every frame, and a
// box in the top-left corner, in the colour of the camera input, that reads the input, the size,
// the frame counter and the time. People read it on screen; tests sample the box colour, decode
// the size, or read the same facts from the JPEG comment the frame factory adds.

#include <cstdint>
#include <string>
#include <vector>

namespace camsim {

inline constexpr int kSceneWidth = 4096;
inline constexpr int kSceneHeight = 3072;
inline constexpr int kMaxZoom = 9999; // zoom positions 1 … 9999, the 210 interface's scale

struct Viewport {
    double centerX = 0.5; // centre of the view, as a fraction of the scene
    double centerY = 0.5;
    int zoom = 1;
    double magnification() const { return 1.0 + 7.0 * (zoom - 1) / (kMaxZoom - 1); } // 1 … 8
    bool operator==(const Viewport&) const = default;
};

// Where a width × height picture of the viewport lies in the scene: the scene position of
// pixel (0, 0) and scene pixels per picture pixel, kept inside the scene.
struct ViewRect {
    double left;
    double top;
    double step;
};
ViewRect viewRect(const Viewport& viewport, int width, int height);

struct Rgb {
    std::uint8_t r, g, b;
};
Rgb inputColour(int camera); // the corner box colour of inputs 1 … 4

struct FrameFacts {
    int camera = 1;
    int width = 0;
    int height = 0;
    std::uint64_t frame = 0;
    std::int64_t timeMs = 0; // shown as UTC hh:mm:ss.mmm
    Viewport viewport;
};

class TestPicture {
public:
    explicit TestPicture(std::uint32_t seed);
    // Packed RGB, width × height × 3 bytes. Thread-safe.
    void render(const FrameFacts& facts, std::vector<std::uint8_t>& rgb) const;

private:
    Rgb m_palette[4][48]; // per input, per scene cell
};

std::string clockText(std::int64_t timeMs); // "12:34:56.789"

} // namespace camsim
