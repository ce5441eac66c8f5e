#pragma once
// The icon of one item kind, closed or open, from the module's own image lists.

#include "namespace/store/ItemKind.h"
#include "platform/shell/ExtractIcon.h"

namespace foldra {

// The location's index is the icon position plus this.
inline constexpr int kIconIndexBase = 100;

class ItemIconExtractor final : public UnknownImpl<ItemIconExtractor, IExtractIconA> {
public:
    explicit ItemIconExtractor(ItemKind kind);

    // S_FALSE for a kind without an icon.
    HRESULT GetIconLocation(UINT uFlags, LPSTR pszIconFile, UINT cchMax, int* piIndex,
                            UINT* pwFlags) override;
    HRESULT Extract(LPCSTR pszFile, UINT nIconIndex, HICON* phiconLarge, HICON* phiconSmall,
                    UINT nIconSize) override;

private:
    ~ItemIconExtractor() override = default;
    ItemKind m_kind;
};

} // namespace foldra
