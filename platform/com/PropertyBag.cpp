#include "platform/com/PropertyBag.h"

#include "platform/base/AsciiCase.h"

namespace {

std::u16string_view nameView(LPCOLESTR name)
{
    std::size_t length = 0;
    while (length <= MemoryPropertyBag::kMaxNameLength && name[length] != 0)
        ++length;
    return {name, length};
}

} // namespace

std::pair<std::u16string, Variant>* MemoryPropertyBag::find(std::u16string_view name)
{
    for (auto& entry : m_entries)
        if (orvel::equalsIgnoringCase(entry.first, name))
            return &entry;
    return nullptr;
}

HRESULT MemoryPropertyBag::Read(LPCOLESTR pszPropName, VARIANT* pVar, IErrorLog*)
{
    if (!pszPropName || !pVar)
        return E_POINTER;
    auto* entry = find(nameView(pszPropName));
    if (!entry)
        return E_INVALIDARG;
    const VARTYPE wanted = pVar->vt;
    if (wanted == VT_EMPTY)
        return VariantCopy(pVar, entry->second.get());
    Variant converted;
    if (HRESULT hr = VariantChangeType(converted.get(), entry->second.get(), 0, wanted); FAILED(hr))
        return hr;
    VariantClear(pVar);
    *pVar = converted.detach();
    return S_OK;
}

HRESULT MemoryPropertyBag::Write(LPCOLESTR pszPropName, VARIANT* pVar)
{
    if (!pszPropName || !pVar)
        return E_POINTER;
    std::u16string_view name = nameView(pszPropName);
    if (name.size() > kMaxNameLength)
        return E_OUTOFMEMORY;
    Variant copy;
    if (HRESULT hr = VariantCopy(copy.get(), pVar); FAILED(hr))
        return hr;
    if (auto* entry = find(name)) {
        entry->second = std::move(copy);
        return S_OK;
    }
    if (m_entries.size() >= kMaxEntries)
        return E_OUTOFMEMORY;
    m_entries.emplace_back(std::u16string(name), std::move(copy));
    return S_OK;
}

HRESULT MemoryPropertyBag::writeText(std::u16string_view name, std::string_view utf8)
{
    std::u16string terminated(name);
    Variant value = Variant::fromUtf8(utf8);
    return Write(terminated.c_str(), value.get());
}
