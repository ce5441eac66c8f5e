#pragma once
// Icons of a folder's items, in the desktop's slot order. An HICON is a QIcon the receiver
// owns and frees with DestroyIcon.

#include "platform/com/UnknownImpl.h"

#include <QIcon>

struct HICON__;
using HICON = HICON__*;

inline constexpr IID IID_IExtractIconA = makeGuid("{000214EB-0000-0000-C000-000000000046}");

inline constexpr UINT GIL_OPENICON = 0x1;
inline constexpr UINT GIL_FORSHELL = 0x2;
inline constexpr UINT GIL_NOTFILENAME = 0x8;

HICON iconHandle(const QIcon& icon); // a new handle owning a copy
const QIcon* iconOf(HICON icon);
void DestroyIcon(HICON icon);

struct IExtractIconA : IUnknown {
    virtual HRESULT GetIconLocation(UINT uFlags, LPSTR pszIconFile, UINT cchMax, int* piIndex,
                                    UINT* pwFlags) = 0;
    // nIconSize: the large size in the low word, the small one in the high word.
    virtual HRESULT Extract(LPCSTR pszFile, UINT nIconIndex, HICON* phiconLarge, HICON* phiconSmall,
                            UINT nIconSize) = 0;

protected:
    ~IExtractIconA() = default;
};
template <> inline constexpr IID iidOf<IExtractIconA> = IID_IExtractIconA;
