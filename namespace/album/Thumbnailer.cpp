#include "namespace/album/Thumbnailer.h"

#include "common/MedrixClasses.h"
#include "namespace/album/AlbumArtwork.h"
#include "platform/com/Runtime.h"
#include "platform/com/TaskMemory.h"
#include "platform/draw/QtSurface.h"

#include <QPainter>
#include <memory>

namespace foldra {
namespace {

struct TaskMemoryFree {
    void operator()(BYTE* block) const { CoTaskMemFree(block); }
};

} // namespace

Thumbnailer::Thumbnailer()
{
    CoCreateInstance(CLSID_CamImageObject, nullptr, CLSCTX_INPROC_SERVER, IID_ICamImageObject,
                     m_image.putVoid());
}

QImage Thumbnailer::thumbnail(const AlbumEntry& entry, QSize size)
{
    if (!m_image || entry.thumbnailSource.empty())
        return {};
    _CAM_BIH bih{};
    DWORD bytes = 0;
    BYTE* bits = nullptr;
    if (FAILED(m_image->GetDIB(Bstr(entry.thumbnailSource).get(), CamDibQuarter, &bih, &bytes,
                               &bits)) ||
        !bits)
        return {};
    std::unique_ptr<BYTE, TaskMemoryFree> owned(bits);
    const orvel::draw::BitmapView view{bits, bih.biWidth, bih.biHeight};
    if (bih.biWidth <= 0 || bih.biHeight <= 0 ||
        bytes < static_cast<DWORD>(view.stride()) * static_cast<DWORD>(bih.biHeight))
        return {};

    const bool sequence = entry.kind == AlbumEntryKind::Sequence;
    QImage result(size, QImage::Format_RGB32);
    result.fill(Qt::white);
    {
        QPainter painter(&result);
        orvel::draw::QtSurface surface(painter);
        // Images sit inside a 2-pixel margin; a sequence's frame fills the whole thumbnail
        // under its overlay.
        const int inset = sequence ? 0 : 2;
        const RECT rect{inset, inset, size.width() - inset, size.height() - inset};
        surface.stretchBitmap(view, rect);
        if (sequence)
            painter.drawImage(0, 0, sequenceOverlay(size));
    }
    return result;
}

} // namespace foldra
