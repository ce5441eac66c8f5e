#include "platform/com/Bstr.h"

#include "platform/base/Utf.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {
constexpr std::size_t kPrefix = sizeof(std::uint32_t);

BSTR allocBytes(const void* data, std::size_t bytes)
{
    if (bytes > std::numeric_limits<std::uint32_t>::max() - 2 * sizeof(OLECHAR))
        return nullptr;
    // The prefix, the text and two zero bytes (a whole zero code unit even for odd lengths).
    auto* block = static_cast<unsigned char*>(std::malloc(kPrefix + bytes + sizeof(OLECHAR) + 1));
    if (!block)
        return nullptr;
    auto len = static_cast<std::uint32_t>(bytes);
    std::memcpy(block, &len, kPrefix);
    if (data)
        std::memcpy(block + kPrefix, data, bytes);
    else
        std::memset(block + kPrefix, 0, bytes);
    std::memset(block + kPrefix + bytes, 0, sizeof(OLECHAR) + 1);
    return reinterpret_cast<BSTR>(block + kPrefix);
}

std::size_t lengthOf(const OLECHAR* psz)
{
    std::size_t n = 0;
    while (psz[n])
        ++n;
    return n;
}
} // namespace

BSTR SysAllocString(const OLECHAR* psz)
{
    if (!psz)
        return nullptr;
    return allocBytes(psz, lengthOf(psz) * sizeof(OLECHAR));
}

BSTR SysAllocStringLen(const OLECHAR* pch, UINT cch)
{
    return allocBytes(pch, static_cast<std::size_t>(cch) * sizeof(OLECHAR));
}

BSTR SysAllocStringByteLen(const char* psz, UINT len)
{
    return allocBytes(psz, len);
}

BOOL SysReAllocString(BSTR* pbstr, const OLECHAR* psz)
{
    if (!pbstr)
        return FALSE;
    BSTR fresh = SysAllocString(psz);
    if (psz && !fresh)
        return FALSE;
    SysFreeString(*pbstr);
    *pbstr = fresh;
    return TRUE;
}

BOOL SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT cch)
{
    if (!pbstr)
        return FALSE;
    BSTR fresh = SysAllocStringLen(psz, cch);
    if (!fresh)
        return FALSE;
    SysFreeString(*pbstr);
    *pbstr = fresh;
    return TRUE;
}

void SysFreeString(BSTR bstr)
{
    if (bstr)
        std::free(reinterpret_cast<unsigned char*>(bstr) - kPrefix);
}

UINT SysStringByteLen(BSTR bstr)
{
    if (!bstr)
        return 0;
    std::uint32_t len;
    std::memcpy(&len, reinterpret_cast<unsigned char*>(bstr) - kPrefix, kPrefix);
    return len;
}

UINT SysStringLen(BSTR bstr)
{
    return SysStringByteLen(bstr) / sizeof(OLECHAR);
}

BSTR bstrFromUtf8(std::string_view text)
{
    std::u16string wide = utf8ToUtf16(text);
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

std::string bstrToUtf8(BSTR bstr)
{
    if (!bstr)
        return {};
    return utf16ToUtf8(std::u16string_view(bstr, SysStringLen(bstr)));
}

bool bstrAssignUtf8(BSTR* pbstr, std::string_view text)
{
    if (!pbstr)
        return false;
    std::u16string wide = utf8ToUtf16(text);
    return SysReAllocStringLen(pbstr, wide.data(), static_cast<UINT>(wide.size())) != FALSE;
}
