#include "namespace/folder/ItemIconExtractor.h"

#include "namespace/folder/FolderModule.h"
#include "namespace/folder/ItemIcons.h"

#include <QPixmap>
#include <cstring>

namespace foldra {

ItemIconExtractor::ItemIconExtractor(ItemKind kind) : UnknownImpl(&moduleLiveCount()), m_kind(kind)
{}

HRESULT ItemIconExtractor::GetIconLocation(UINT uFlags, LPSTR pszIconFile, UINT cchMax,
                                           int* piIndex, UINT* pwFlags)
{
    if (!piIndex || !pwFlags)
        return E_POINTER;
    int position = iconPosition(m_kind, (uFlags & GIL_OPENICON) != 0);
    if (position < 0)
        return S_FALSE;
    if (pszIconFile && cchMax > 0)
        pszIconFile[0] = '\0';
    *piIndex = position + kIconIndexBase;
    *pwFlags = GIL_NOTFILENAME;
    return S_OK;
}

HRESULT ItemIconExtractor::Extract(LPCSTR, UINT nIconIndex, HICON* phiconLarge, HICON* phiconSmall,
                                   UINT nIconSize)
{
    int position = static_cast<int>(nIconIndex) - kIconIndexBase;
    if (position < 0 || position >= iconCount())
        return E_INVALIDARG;
    int large = nIconSize & 0xFFFF ? static_cast<int>(nIconSize & 0xFFFF) : kIconLargeSize;
    int small = nIconSize >> 16 ? static_cast<int>(nIconSize >> 16) : kIconSmallSize;
    if (phiconLarge)
        *phiconLarge = iconHandle(QIcon(iconPixmap(position, large)));
    if (phiconSmall)
        *phiconSmall = iconHandle(QIcon(iconPixmap(position, small)));
    return S_OK;
}

} // namespace foldra
