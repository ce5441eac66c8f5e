#pragma once
// The items of one enumeration, handed out one at a time.

#include "namespace/store/CamItemId.h"
#include "platform/com/UnknownImpl.h"
#include "platform/shell/ShellFolder.h"

#include <vector>

namespace foldra {

class ItemEnumerator final : public UnknownImpl<ItemEnumerator, IEnumIDList> {
public:
    explicit ItemEnumerator(std::vector<CamItemId> items);

    // Only a request for exactly one item is served; any other count gets S_FALSE and nothing.
    HRESULT Next(ULONG celt, LPITEMIDLIST* rgelt, ULONG* pceltFetched) override;
    HRESULT Skip(ULONG celt) override;
    HRESULT Reset() override;
    HRESULT Clone(IEnumIDList** ppenum) override;

private:
    ~ItemEnumerator() override = default;

    std::vector<CamItemId> m_items;
    std::size_t m_cursor = 0;
};

} // namespace foldra
