#include "namespace/folder/ItemDataObject.h"

#include "namespace/folder/FolderModule.h"

#include <cstring>

namespace foldra {

ItemDataObject::ItemDataObject(LPCITEMIDLIST parent, const std::vector<CamItemId>& items)
    : UnknownImpl(&moduleLiveCount()), m_array(idListArray(parent, items))
{}

std::vector<BYTE> ItemDataObject::idListArray(LPCITEMIDLIST parent,
                                              const std::vector<CamItemId>& items)
{
    auto count = static_cast<UINT>(items.size());
    std::vector<BYTE> out(sizeof(UINT) * (count + 2));
    std::memcpy(out.data(), &count, sizeof count);
    auto append = [&](const void* data, std::size_t size, UINT slot) {
        auto offset = static_cast<UINT>(out.size());
        std::memcpy(out.data() + sizeof(UINT) * (slot + 1), &offset, sizeof offset);
        const auto* bytes = static_cast<const BYTE*>(data);
        out.insert(out.end(), bytes, bytes + size);
    };
    append(parent, ILGetSize(parent), 0);
    for (UINT i = 0; i < count; ++i) {
        IdList child(items[i].toIdList());
        append(child.get(), ILGetSize(child.get()), i + 1);
    }
    return out;
}

HRESULT ItemDataObject::QueryGetData(FORMATETC* f)
{
    if (!f)
        return E_POINTER;
    if (f->cfFormat != shellIdListFormat())
        return DV_E_FORMATETC;
    return (f->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_TYMED;
}

HRESULT ItemDataObject::GetData(FORMATETC* f, STGMEDIUM* medium)
{
    if (!medium)
        return E_POINTER;
    if (HRESULT hr = QueryGetData(f); FAILED(hr))
        return hr;
    HGLOBAL block = GlobalAllocBytes(m_array.size());
    if (!block)
        return E_OUTOFMEMORY;
    std::memcpy(GlobalLock(block), m_array.data(), m_array.size());
    GlobalUnlock(block);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

HRESULT ItemDataObject::GetDataHere(FORMATETC*, STGMEDIUM*)
{
    return E_NOTIMPL;
}
HRESULT ItemDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC*)
{
    return E_NOTIMPL;
}
HRESULT ItemDataObject::SetData(FORMATETC*, STGMEDIUM*, BOOL)
{
    return E_NOTIMPL;
}
HRESULT ItemDataObject::EnumFormatEtc(DWORD, IEnumFORMATETC**)
{
    return E_NOTIMPL;
}
HRESULT ItemDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*)
{
    return OLE_E_ADVISENOTSUPPORTED;
}
HRESULT ItemDataObject::DUnadvise(DWORD)
{
    return OLE_E_ADVISENOTSUPPORTED;
}
HRESULT ItemDataObject::EnumDAdvise(IEnumSTATDATA**)
{
    return OLE_E_ADVISENOTSUPPORTED;
}

} // namespace foldra
