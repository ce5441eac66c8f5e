#pragma once
// The drawing rules the quad and switch views share: how the quad's 704 x 576 logical canvas
// splits into quadrants, and how a camera's name is written over its picture. Pure geometry and
// QPainter work, on the window thread.

#include "platform/base/WinTypes.h"

#include <QString>
#include <array>

class QPainter;

namespace foldra {

inline constexpr int kQuadCanvasWidth = 704;
inline constexpr int kQuadCanvasHeight = 576;
inline constexpr int kQuadSlots = 4;

// The four quadrants of a placed canvas: top-left, top-right, bottom-left, bottom-right, each
// half the width and half the height (integer halves).
std::array<RECT, kQuadSlots> quadrantsOf(const RECT& canvas);

// The name inside area: 10 pixels from its left edge, the text box ending 1 pixel above its
// bottom, once in black and once more 1 pixel up and left in yellow.
void drawCameraName(QPainter& painter, const RECT& area, const QString& name);

// Why a camera shows nothing new, at the top left of area: the names' colours on a black
// backing, so it reads on any picture; cut with an ellipsis when wider than area.
void drawStatusText(QPainter& painter, const RECT& area, const QString& text);

} // namespace foldra
