#include "platform/com/BstrArray.h"

#include "platform/com/TaskMemory.h"

HRESULT bstrArrayFromUtf8(const std::vector<std::string>& list, INT* pnSize, BSTR** ppbstr)
{
    auto* block = static_cast<BSTR*>(CoTaskMemAlloc(list.size() * sizeof(BSTR)));
    if (block == nullptr)
        return E_OUTOFMEMORY;
    for (std::size_t i = 0; i < list.size(); ++i) {
        block[i] = bstrFromUtf8(list[i]);
        if (block[i] == nullptr) {
            for (std::size_t j = 0; j < i; ++j)
                SysFreeString(block[j]);
            CoTaskMemFree(block);
            return E_OUTOFMEMORY;
        }
    }
    *pnSize = static_cast<INT>(list.size());
    *ppbstr = block;
    return S_OK;
}
