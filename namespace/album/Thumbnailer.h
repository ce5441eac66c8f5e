#pragma once
// Album thumbnails: the image object decodes an image at quarter scale and the result is
// stretched (smoothly) into the thumbnail; a sequence's first frame gets the overlay on top.
// One image object serves a whole fill. User-interface thread.

#include "common/ICamImageObject.h"
#include "namespace/album/AlbumListing.h"
#include "platform/com/ComPtr.h"

#include <QImage>
#include <QSize>

namespace foldra {

class Thumbnailer {
public:
    // Creates the image object by class id; without it every thumbnail is the placeholder.
    Thumbnailer();

    // The thumbnail of the entry at size, or a null image when it has no source or its source
    // does not decode (the caller shows the placeholder).
    QImage thumbnail(const AlbumEntry& entry, QSize size);

private:
    ComPtr<ICamImageObject> m_image;
};

} // namespace foldra
