#pragma once
// Where a live view draws an image (or the quad view its canvas) in its client area, in the
// three layout modes, and the dark-grey fill around it.

#include "platform/base/WinTypes.h"
#include "platform/draw/DrawSurface.h"

namespace foldra {

enum class Placement {
    RetainSize, // the image's own size, centred when smaller, moved by the scroll positions
    SizeToFit,  // the whole client area
    KeepAspect, // as large as fits with the image's aspect ratio, centred
};

// What live views fill around the image, and everywhere when it cannot be drawn.
inline constexpr orvel::draw::Color kViewBackground{64, 64, 64};

struct ScrollPosition {
    int x = 0;
    int y = 0;
};

// client: the client area's size (right, bottom; left and top 0); width, height: the image's.
RECT placeImage(Placement mode, int clientWidth, int clientHeight, int width, int height,
                ScrollPosition scroll = {});
// Fills the parts of client outside image.
void fillAround(orvel::draw::DrawSurface& surface, const RECT& client, const RECT& image,
                orvel::draw::Color color = kViewBackground);
// (px, py) of the client area as a point of a width x height image drawn into shown; false
// when the point is outside shown.
bool imagePoint(const RECT& shown, int width, int height, int px, int py, int* x, int* y);

} // namespace foldra
