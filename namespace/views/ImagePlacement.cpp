#include "namespace/views/ImagePlacement.h"

#include <algorithm>

namespace foldra {

RECT placeImage(Placement mode, int clientWidth, int clientHeight, int width, int height,
                ScrollPosition scroll)
{
    switch (mode) {
    case Placement::RetainSize: {
        int left = width < clientWidth ? (clientWidth - width) / 2 : 0;
        int top = height < clientHeight ? (clientHeight - height) / 2 : 0;
        left -= scroll.x;
        top -= scroll.y;
        return {left, top, left + width, top + height};
    }
    case Placement::SizeToFit:
        return {0, 0, clientWidth, clientHeight};
    case Placement::KeepAspect:
        break;
    }
    if (width <= 0 || height <= 0)
        return {0, 0, clientWidth, clientHeight};
    const double aspect = static_cast<double>(width) / height;
    // The limiting side takes the client's full length: recomputing it from the truncated
    // other side would lose a pixel (533 x 399 for 320 x 240 in 800 x 400).
    int w = static_cast<int>(aspect * clientHeight);
    int h = clientHeight;
    if (w >= clientWidth) {
        w = clientWidth;
        h = std::min(clientHeight, static_cast<int>(clientWidth / aspect));
    }
    const int left = (clientWidth - w) / 2;
    const int top = (clientHeight - h) / 2;
    return {left, top, left + w, top + h};
}

void fillAround(orvel::draw::DrawSurface& surface, const RECT& client, const RECT& image,
                orvel::draw::Color color)
{
    const LONG top = std::clamp(image.top, client.top, client.bottom);
    const LONG bottom = std::clamp(image.bottom, top, client.bottom);
    const LONG left = std::clamp(image.left, client.left, client.right);
    const LONG right = std::clamp(image.right, left, client.right);
    const RECT bands[] = {
        {client.left, client.top, client.right, top},
        {client.left, bottom, client.right, client.bottom},
        {client.left, top, left, bottom},
        {right, top, client.right, bottom},
    };
    for (const RECT& band : bands)
        if (band.right > band.left && band.bottom > band.top)
            surface.fillRect(band, color);
}

bool imagePoint(const RECT& shown, int width, int height, int px, int py, int* x, int* y)
{
    const long long shownWidth = shown.right - shown.left;
    const long long shownHeight = shown.bottom - shown.top;
    if (shownWidth <= 0 || shownHeight <= 0 || px < shown.left || px >= shown.right ||
        py < shown.top || py >= shown.bottom)
        return false;
    *x = static_cast<int>((px - shown.left) * static_cast<long long>(width) / shownWidth);
    *y = static_cast<int>((py - shown.top) * static_cast<long long>(height) / shownHeight);
    return true;
}

} // namespace foldra
