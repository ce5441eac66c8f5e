#pragma once
// A list of strings handed across an interface as capability lists are: one CoTaskMemAlloc
// block of BSTRs. The receiver frees each entry with SysFreeString, then the block with
// CoTaskMemFree.

#include "platform/com/Bstr.h"
#include "platform/base/Hresult.h"

#include <string>
#include <vector>

// Writes *pnSize and *ppbstr only on success.
// \retval S_OK, E_OUTOFMEMORY (nothing is left allocated)
HRESULT bstrArrayFromUtf8(const std::vector<std::string>& list, INT* pnSize, BSTR** ppbstr);
