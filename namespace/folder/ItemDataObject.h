#pragma once
// The data of items dragged out of a folder: "Shell IDList Array" — the count of children,
// one offset per list (the parent first), then the parent's absolute list and each child's
// single-item list, each with its terminator.

#include "namespace/store/CamItemId.h"
#include "platform/shell/DataObject.h"

#include <vector>

namespace foldra {

class ItemDataObject final : public UnknownImpl<ItemDataObject, IDataObject> {
public:
    ItemDataObject(LPCITEMIDLIST parent, const std::vector<CamItemId>& items);

    HRESULT GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) override;
    HRESULT GetDataHere(FORMATETC*, STGMEDIUM*) override;
    HRESULT QueryGetData(FORMATETC* pformatetc) override;
    HRESULT GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override;
    HRESULT SetData(FORMATETC*, STGMEDIUM*, BOOL) override;
    HRESULT EnumFormatEtc(DWORD, IEnumFORMATETC**) override;
    HRESULT DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override;
    HRESULT DUnadvise(DWORD) override;
    HRESULT EnumDAdvise(IEnumSTATDATA**) override;

    // The bytes of the array.
    static std::vector<BYTE> idListArray(LPCITEMIDLIST parent, const std::vector<CamItemId>& items);

private:
    ~ItemDataObject() override = default;

    std::vector<BYTE> m_array;
};

} // namespace foldra
