#pragma once
// Property bags with the Windows interfaces: named values a container keeps for an object
// (the <param> elements of a page), and a bag in memory that both sides of the suite use.

#include "platform/com/UnknownImpl.h"
#include "platform/com/Variant.h"

#include <string>
#include <utility>
#include <vector>

struct IErrorLog : IUnknown {
    // pExcepInfo is an EXCEPINFO (platform/com/Dispatch.h).
    virtual HRESULT AddError(LPCOLESTR pszPropName, void* pExcepInfo) = 0;

protected:
    ~IErrorLog() = default;
};

struct IPropertyBag : IUnknown {
    // *pVar is converted to the type it holds on entry unless that is VT_EMPTY, in which case
    // the stored value is copied as it is. E_INVALIDARG when the name is not in the bag,
    // E_POINTER for null arguments, the conversion's error when it does not convert.
    virtual HRESULT Read(LPCOLESTR pszPropName, VARIANT* pVar, IErrorLog* pErrorLog) = 0;
    // Stores a copy, replacing a value of the same name. E_POINTER, E_OUTOFMEMORY.
    virtual HRESULT Write(LPCOLESTR pszPropName, VARIANT* pVar) = 0;

protected:
    ~IPropertyBag() = default;
};

constexpr IID IID_IErrorLog = makeGuid("{3127CA40-446E-11CE-8135-00AA004BB851}");
constexpr IID IID_IPropertyBag = makeGuid("{55272A00-42CB-11CE-8135-00AA004BB851}");
template <> inline constexpr IID iidOf<IErrorLog> = IID_IErrorLog;
template <> inline constexpr IID iidOf<IPropertyBag> = IID_IPropertyBag;

// Names compare ignoring ASCII case, as HTML attribute values for <param name> do; the first
// write of a name fixes its place in the order. Used on one thread at a time.
class MemoryPropertyBag final : public UnknownImpl<MemoryPropertyBag, IPropertyBag> {
public:
    // Bounds against a hostile page: more entries or longer names are refused (E_OUTOFMEMORY).
    static constexpr std::size_t kMaxEntries = 256;
    static constexpr std::size_t kMaxNameLength = 256;

    MemoryPropertyBag() = default;

    HRESULT Read(LPCOLESTR pszPropName, VARIANT* pVar, IErrorLog* pErrorLog) override;
    HRESULT Write(LPCOLESTR pszPropName, VARIANT* pVar) override;

    // Stores text as a VT_BSTR value (the form a page's <param value> has).
    HRESULT writeText(std::u16string_view name, std::string_view utf8);
    // The stored names and values, in order.
    const std::vector<std::pair<std::u16string, Variant>>& entries() const { return m_entries; }

private:
    ~MemoryPropertyBag() override = default;
    std::pair<std::u16string, Variant>* find(std::u16string_view name);

    std::vector<std::pair<std::u16string, Variant>> m_entries;
};
