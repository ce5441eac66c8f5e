#include "namespace/folder/ItemEnumerator.h"

#include "namespace/folder/FolderModule.h"

namespace foldra {

ItemEnumerator::ItemEnumerator(std::vector<CamItemId> items)
    : UnknownImpl(&moduleLiveCount()), m_items(std::move(items))
{}

HRESULT ItemEnumerator::Next(ULONG celt, LPITEMIDLIST* rgelt, ULONG* pceltFetched)
{
    if (pceltFetched)
        *pceltFetched = 0;
    if (!rgelt)
        return E_POINTER;
    if (celt != 1 || m_cursor >= m_items.size())
        return S_FALSE;
    LPITEMIDLIST copy = m_items[m_cursor].toIdList();
    if (!copy)
        return E_OUTOFMEMORY;
    ++m_cursor;
    rgelt[0] = copy;
    if (pceltFetched)
        *pceltFetched = 1;
    return S_OK;
}

HRESULT ItemEnumerator::Skip(ULONG celt)
{
    std::size_t left = m_items.size() - m_cursor;
    m_cursor += std::min<std::size_t>(celt, left);
    return celt <= left ? S_OK : S_FALSE;
}

HRESULT ItemEnumerator::Reset()
{
    m_cursor = 0;
    return S_OK;
}

HRESULT ItemEnumerator::Clone(IEnumIDList** ppenum)
{
    if (!ppenum)
        return E_POINTER;
    *ppenum = nullptr;
    ItemEnumerator* copy = createRaw(m_items);
    if (!copy)
        return E_OUTOFMEMORY;
    copy->m_cursor = m_cursor;
    *ppenum = copy;
    return S_OK;
}

} // namespace foldra
