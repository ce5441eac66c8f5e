#include "platform/draw/DrawSurface.h"

namespace orvel::draw {

DrawSurface::~DrawSurface()
{
    m_handle.magic = 0;
}

DrawSurface* DrawSurface::fromHdc(HDC hdc)
{
    auto* handle = reinterpret_cast<const Handle*>(hdc);
    if (!handle || handle->magic != kMagic)
        return nullptr;
    return handle->surface;
}

} // namespace orvel::draw
