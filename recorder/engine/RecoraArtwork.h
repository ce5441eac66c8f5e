#pragma once
// The recorder's own pictures, drawn in code so the program needs no image files: the three
// 40 x 10 stop-button faces and the window icon.

#include <QImage>

namespace recora {

inline constexpr int kButtonFaceWidth = 40;
inline constexpr int kButtonFaceHeight = 10;

enum class ButtonFace { LampLit, Pressed, LampDark };

QImage drawButtonFace(ButtonFace face);
// The window icon at size x size (32 and 16).
QImage drawWindowIcon(int size);

} // namespace recora
