#pragma once
// The tool bar's 16 x 15 button images and the program's icon, drawn rather than shipped.

#include <QIcon>

namespace vistel {

QIcon playIcon();
QIcon pauseIcon();
QIcon stopIcon();
QIcon aboutIcon();
QIcon applicationIcon();

inline constexpr QSize kButtonImageSize{16, 15};

} // namespace vistel
