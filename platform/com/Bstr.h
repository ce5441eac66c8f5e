#pragma once
// BSTR: UTF-16 text preceded by its byte length (a 32-bit word) and followed by a zero code
// unit. The pointer points at the text. A null BSTR is a valid empty string.

#include "platform/base/WinTypes.h"

#include <string>
#include <string_view>

using BSTR = OLECHAR*;

BSTR SysAllocString(const OLECHAR* psz);
BSTR SysAllocStringLen(const OLECHAR* pch, UINT cch);
BSTR SysAllocStringByteLen(const char* psz, UINT len);
// Replaces *pbstr with a copy of psz and frees the old string; FALSE (and *pbstr unchanged)
// when the allocation fails. psz may point into *pbstr.
BOOL SysReAllocString(BSTR* pbstr, const OLECHAR* psz);
BOOL SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT cch);
void SysFreeString(BSTR bstr);
UINT SysStringLen(BSTR bstr);
UINT SysStringByteLen(BSTR bstr);

// Conversions at interfaces between BSTR and the narrow UTF-8 used inside components.
BSTR bstrFromUtf8(std::string_view text);
std::string bstrToUtf8(BSTR bstr);
// Replaces *pbstr (null or valid) with the UTF-8 text; false when out of memory.
bool bstrAssignUtf8(BSTR* pbstr, std::string_view text);

// Owns one BSTR; frees it on destruction.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const OLECHAR* text) : m_bstr(SysAllocString(text)) {}
    explicit Bstr(std::string_view utf8) : m_bstr(bstrFromUtf8(utf8)) {}
    Bstr(const Bstr& other) : m_bstr(SysAllocStringLen(other.m_bstr, other.length())) {}
    Bstr(Bstr&& other) noexcept : m_bstr(other.m_bstr) { other.m_bstr = nullptr; }
    Bstr& operator=(Bstr other) noexcept
    {
        std::swap(m_bstr, other.m_bstr);
        return *this;
    }
    ~Bstr() { SysFreeString(m_bstr); }

    static Bstr attach(BSTR bstr)
    {
        Bstr b;
        b.m_bstr = bstr;
        return b;
    }
    BSTR detach()
    {
        BSTR b = m_bstr;
        m_bstr = nullptr;
        return b;
    }

    BSTR get() const { return m_bstr; }
    // For out-parameters: the current string stays (callees reallocate it).
    BSTR* out() { return &m_bstr; }
    UINT length() const { return SysStringLen(m_bstr); }
    bool empty() const { return length() == 0; }
    std::string utf8() const { return bstrToUtf8(m_bstr); }
    std::u16string_view view() const { return {m_bstr ? m_bstr : u"", length()}; }

private:
    BSTR m_bstr = nullptr;
};
