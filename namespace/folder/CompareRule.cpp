#include "namespace/folder/CompareRule.h"

#include <QString>

namespace foldra {

int compareItems(const CamItemId& a, const CamItemId& b)
{
    std::u16string na = a.name16();
    std::u16string nb = b.name16();
    int byName = QString::fromUtf16(na.data(), static_cast<qsizetype>(na.size()))
                     .compare(QString::fromUtf16(nb.data(), static_cast<qsizetype>(nb.size())),
                              Qt::CaseInsensitive);
    if (byName == 0)
        return 0;
    if (a.itemKind() == ItemKind::AddFolder)
        return -1;
    if (b.itemKind() == ItemKind::AddFolder)
        return 1;
    bool albumA = a.itemKind() == ItemKind::Album;
    bool albumB = b.itemKind() == ItemKind::Album;
    if (albumA != albumB)
        return albumA ? -1 : 1;
    return byName < 0 ? -1 : 1;
}

} // namespace foldra
