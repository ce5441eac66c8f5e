#pragma once
// The album's own artwork: the placeholder shown for images without a decoded thumbnail
// (bitmap 221) and the film-strip overlay that marks a sequence (bitmap 222, 100 x 75, cyan
// meaning transparent).

#include <QImage>
#include <QSize>

namespace foldra {

inline constexpr QSize kLargeThumbnail(100, 75);
inline constexpr QSize kSmallThumbnail(50, 38);

QImage placeholderBitmap(QSize size);
// As drawn, cyan (0, 255, 255) where the thumbnail shows through.
QImage sequenceOverlayBitmap();
// The overlay scaled to size with its cyan made transparent.
QImage sequenceOverlay(QSize size);

} // namespace foldra
