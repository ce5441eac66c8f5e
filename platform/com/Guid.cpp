#include "platform/com/Guid.h"

#include "platform/base/Utf.h"
#include "platform/com/TaskMemory.h"

#include <cstdio>

std::string guidToString(REFGUID g)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                  g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return buf;
}

bool guidFromString(const std::string& s, GUID* guid)
{
    if (!guid || s.size() != 38 || s[0] != '{' || s[37] != '}')
        return false;
    auto hex = [&](std::size_t pos, int digits, std::uint32_t* out) {
        std::uint32_t v = 0;
        for (int i = 0; i < digits; ++i) {
            char c = s[pos + i];
            int d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                return false;
            v = (v << 4) | static_cast<std::uint32_t>(d);
        }
        *out = v;
        return true;
    };
    if (s[9] != '-' || s[14] != '-' || s[19] != '-' || s[24] != '-')
        return false;
    GUID g{};
    std::uint32_t v = 0;
    if (!hex(1, 8, &v))
        return false;
    g.Data1 = v;
    if (!hex(10, 4, &v))
        return false;
    g.Data2 = static_cast<std::uint16_t>(v);
    if (!hex(15, 4, &v))
        return false;
    g.Data3 = static_cast<std::uint16_t>(v);
    for (int i = 0; i < 2; ++i) {
        if (!hex(20 + 2 * i, 2, &v))
            return false;
        g.Data4[i] = static_cast<std::uint8_t>(v);
    }
    for (int i = 0; i < 6; ++i) {
        if (!hex(25 + 2 * i, 2, &v))
            return false;
        g.Data4[2 + i] = static_cast<std::uint8_t>(v);
    }
    *guid = g;
    return true;
}

HRESULT StringFromCLSID(REFCLSID clsid, LPOLESTR* ppsz)
{
    if (!ppsz)
        return E_INVALIDARG;
    *ppsz = nullptr;
    std::u16string text = utf8ToUtf16(guidToString(clsid));
    auto* out = static_cast<LPOLESTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(OLECHAR)));
    if (!out)
        return E_OUTOFMEMORY;
    std::copy(text.begin(), text.end(), out);
    out[text.size()] = 0;
    *ppsz = out;
    return S_OK;
}

HRESULT StringFromIID(REFIID iid, LPOLESTR* ppsz)
{
    return StringFromCLSID(iid, ppsz);
}

int StringFromGUID2(REFGUID guid, LPOLESTR psz, int cchMax)
{
    std::u16string text = utf8ToUtf16(guidToString(guid));
    if (!psz || cchMax < static_cast<int>(text.size()) + 1)
        return 0;
    std::copy(text.begin(), text.end(), psz);
    psz[text.size()] = 0;
    return static_cast<int>(text.size()) + 1;
}

HRESULT CLSIDFromString(LPCOLESTR psz, CLSID* pclsid)
{
    if (!psz || !pclsid)
        return E_INVALIDARG;
    if (!guidFromString(utf16ToUtf8(psz), pclsid))
        return CO_E_CLASSSTRING;
    return S_OK;
}

HRESULT IIDFromString(LPCOLESTR psz, IID* piid)
{
    return CLSIDFromString(psz, piid);
}
