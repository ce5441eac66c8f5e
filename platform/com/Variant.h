#pragma once
// VARIANT for the automation types the suite passes: empty, I4, UI4, BSTR, BOOL and interface
// pointers (plus the by-reference forms scripting hosts send). Type codes and the 24-byte
// layout are those of Windows.

#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"

struct IDispatch;

using VARTYPE = std::uint16_t;

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_INT = 22,
    VT_UINT = 23,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

// VariantChangeType flags.
constexpr USHORT VARIANT_NOVALUEPROP = 0x01;
constexpr USHORT VARIANT_ALPHABOOL = 0x02;

struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONG lVal;
        ULONG ulVal;
        SHORT iVal;
        USHORT uiVal;
        BYTE bVal;
        INT intVal;
        UINT uintVal;
        VARIANT_BOOL boolVal;
        HRESULT scode;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        LONG* plVal;
        ULONG* pulVal;
        VARIANT_BOOL* pboolVal;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        IDispatch** ppdispVal;
        VARIANT* pvarVal;
        void* byref;
        void* record[2]; // keeps the Windows size (a record pointer pair)
    };
};
static_assert(sizeof(VARIANT) == 24);
using VARIANTARG = VARIANT;

#define V_VT(v) ((v)->vt)
#define V_I4(v) ((v)->lVal)
#define V_UI4(v) ((v)->ulVal)
#define V_BOOL(v) ((v)->boolVal)
#define V_BSTR(v) ((v)->bstrVal)
#define V_UNKNOWN(v) ((v)->punkVal)
#define V_DISPATCH(v) ((v)->pdispVal)

// Sets VT_EMPTY without freeing anything.
void VariantInit(VARIANTARG* pvarg);
// Frees what the variant owns (a BSTR, an interface reference) and sets VT_EMPTY.
// DISP_E_BADVARTYPE for a type outside the list above.
HRESULT VariantClear(VARIANTARG* pvarg);
// Clears dest, then copies src into it (a new BSTR, an AddRef). dest == src is allowed.
HRESULT VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc);
// Converts src to vt into dest (dest == src converts in place). By-reference sources are read
// through their pointer. DISP_E_TYPEMISMATCH when no conversion exists, DISP_E_OVERFLOW when
// the value does not fit.
HRESULT VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT wFlags,
                          VARTYPE vt);

// Owns one VARIANT; clears it on destruction.
class Variant {
public:
    Variant() { VariantInit(&m_v); }
    Variant(const Variant& other) : Variant() { VariantCopy(&m_v, &other.m_v); }
    Variant(Variant&& other) noexcept : m_v(other.m_v) { VariantInit(&other.m_v); }
    Variant& operator=(Variant other) noexcept
    {
        std::swap(m_v, other.m_v);
        return *this;
    }
    ~Variant() { VariantClear(&m_v); }

    static Variant fromI4(LONG value);
    static Variant fromUI4(ULONG value);
    static Variant fromBool(bool value);
    // Copies the text; a null BSTR stays null (VT_BSTR with a null pointer, a valid empty
    // string that crosses to a local server as null).
    static Variant fromBstr(BSTR value);
    static Variant fromUtf8(std::string_view text);
    // Takes a new reference.
    static Variant fromUnknown(IUnknown* value);
    static Variant fromDispatch(IDispatch* value);

    VARIANT* get() { return &m_v; }
    const VARIANT* get() const { return &m_v; }
    VARTYPE type() const { return m_v.vt; }
    // Releases what is held and hands the empty variant to a callee that fills it.
    VARIANT* out()
    {
        VariantClear(&m_v);
        return &m_v;
    }
    VARIANT detach()
    {
        VARIANT v = m_v;
        VariantInit(&m_v);
        return v;
    }

private:
    VARIANT m_v;
};
