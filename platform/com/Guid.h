#pragma once
// GUID with the Windows memory layout and its two string forms: "{XXXXXXXX-XXXX-...}" in the
// registry and "XXXXXXXX_XXXX_..." where a file name is derived from it.

#include "platform/base/Hresult.h"

#include <compare>
#include <cstring>
#include <string>

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};
static_assert(sizeof(GUID) == 16);

using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

inline bool IsEqualGUID(REFGUID a, REFGUID b)
{
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}
inline bool IsEqualIID(REFIID a, REFIID b)
{
    return IsEqualGUID(a, b);
}
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b)
{
    return IsEqualGUID(a, b);
}
inline bool operator==(REFGUID a, REFGUID b)
{
    return IsEqualGUID(a, b);
}
inline bool operator<(REFGUID a, REFGUID b)
{
    return std::memcmp(&a, &b, sizeof(GUID)) < 0;
}

constexpr GUID GUID_NULL{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
#define CLSID_NULL GUID_NULL
#define IID_NULL GUID_NULL

// Builds a GUID constant from its registry form at compile time:
//   constexpr IID IID_ICamTarget = makeGuid("{134D21E5-1EBC-11D5-B0AB-009027BD8645}");
// A malformed literal fails the build.
namespace orvel::detail {
constexpr int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    throw "bad hex digit in GUID literal";
}
constexpr std::uint32_t hexField(const char* s, int digits)
{
    std::uint32_t v = 0;
    for (int i = 0; i < digits; ++i)
        v = (v << 4) | static_cast<std::uint32_t>(hexValue(s[i]));
    return v;
}
} // namespace orvel::detail

template <std::size_t N> consteval GUID makeGuid(const char (&s)[N])
{
    static_assert(N == 39, "GUID literal must be {8-4-4-4-12}");
    using orvel::detail::hexField;
    if (s[0] != '{' || s[9] != '-' || s[14] != '-' || s[19] != '-' || s[24] != '-' || s[37] != '}')
        throw "bad GUID literal";
    GUID g{};
    g.Data1 = hexField(s + 1, 8);
    g.Data2 = static_cast<std::uint16_t>(hexField(s + 10, 4));
    g.Data3 = static_cast<std::uint16_t>(hexField(s + 15, 4));
    g.Data4[0] = static_cast<std::uint8_t>(hexField(s + 20, 2));
    g.Data4[1] = static_cast<std::uint8_t>(hexField(s + 22, 2));
    for (int i = 0; i < 6; ++i)
        g.Data4[2 + i] = static_cast<std::uint8_t>(hexField(s + 25 + 2 * i, 2));
    return g;
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case, as Windows writes it.
std::string guidToString(REFGUID guid);
// Parses the braced form (any letter case); false for anything else.
bool guidFromString(const std::string& text, GUID* guid);

// Win32 names. StringFromCLSID allocates with CoTaskMemAlloc; the caller frees.
HRESULT StringFromCLSID(REFCLSID clsid, LPOLESTR* ppsz);
HRESULT StringFromIID(REFIID iid, LPOLESTR* ppsz);
int StringFromGUID2(REFGUID guid, LPOLESTR psz, int cchMax);
// CO_E_CLASSSTRING for a malformed string, E_INVALIDARG for null arguments.
HRESULT CLSIDFromString(LPCOLESTR psz, CLSID* pclsid);
HRESULT IIDFromString(LPCOLESTR psz, IID* piid);
