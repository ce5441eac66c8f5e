#include "platform/com/Variant.h"

#include "platform/base/AsciiCase.h"
#include "platform/com/Dispatch.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <string>

namespace {

bool isSupported(VARTYPE vt)
{
    switch (vt & ~VT_BYREF) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I2:
    case VT_I4:
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_ERROR:
    case VT_BOOL:
    case VT_UNKNOWN:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
        return true;
    case VT_VARIANT:
        return (vt & VT_BYREF) != 0;
    default:
        return false;
    }
}

// Reads a by-reference variant into a by-value view that borrows the referenced value.
bool dereference(const VARIANT* src, VARIANT* view)
{
    const VARIANT* v = src;
    // VT_BYREF|VT_VARIANT may nest once (a script passing a variable by reference).
    if (v->vt == (VT_BYREF | VT_VARIANT)) {
        if (!v->pvarVal)
            return false;
        v = v->pvarVal;
    }
    *view = *v;
    if (!(v->vt & VT_BYREF))
        return true;
    if (!v->byref)
        return false;
    view->vt = v->vt & ~VT_BYREF;
    switch (view->vt) {
    case VT_I4:
    case VT_INT:
    case VT_ERROR:
        view->lVal = *v->plVal;
        return true;
    case VT_UI4:
    case VT_UINT:
        view->ulVal = *v->pulVal;
        return true;
    case VT_I2:
        view->iVal = *static_cast<SHORT*>(v->byref);
        return true;
    case VT_UI2:
        view->uiVal = *static_cast<USHORT*>(v->byref);
        return true;
    case VT_UI1:
        view->bVal = *static_cast<BYTE*>(v->byref);
        return true;
    case VT_BOOL:
        view->boolVal = *v->pboolVal;
        return true;
    case VT_BSTR:
        view->bstrVal = *v->pbstrVal;
        return true;
    case VT_UNKNOWN:
        view->punkVal = *v->ppunkVal;
        return true;
    case VT_DISPATCH:
        view->pdispVal = *v->ppdispVal;
        return true;
    default:
        return false;
    }
}

// A numeric view of a by-value variant; false when it is not a number.
bool numberOf(const VARIANT& v, std::int64_t* out)
{
    switch (v.vt) {
    case VT_EMPTY:
        *out = 0;
        return true;
    case VT_I2:
        *out = v.iVal;
        return true;
    case VT_I4:
    case VT_INT:
        *out = v.lVal;
        return true;
    case VT_UI1:
        *out = v.bVal;
        return true;
    case VT_UI2:
        *out = v.uiVal;
        return true;
    case VT_UI4:
    case VT_UINT:
        *out = v.ulVal;
        return true;
    case VT_BOOL:
        *out = v.boolVal ? -1 : 0;
        return true;
    default:
        return false;
    }
}

HRESULT parseNumber(BSTR text, std::int64_t* out)
{
    std::string s = bstrToUtf8(text);
    std::size_t b = s.find_first_not_of(" \t");
    std::size_t e = s.find_last_not_of(" \t");
    if (b == std::string::npos)
        return DISP_E_TYPEMISMATCH;
    const char* first = s.data() + b;
    const char* last = s.data() + e + 1;
    if (*first == '+')
        ++first;
    std::int64_t value = 0;
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec == std::errc::result_out_of_range)
        return DISP_E_OVERFLOW;
    if (ec != std::errc() || ptr != last)
        return DISP_E_TYPEMISMATCH;
    *out = value;
    return S_OK;
}

HRESULT toNumber(const VARIANT& v, std::int64_t* out)
{
    if (numberOf(v, out))
        return S_OK;
    if (v.vt == VT_BSTR) {
        std::u16string_view text(v.bstrVal ? v.bstrVal : u"", SysStringLen(v.bstrVal));
        if (orvel::equalsIgnoringCase(text, u"true")) {
            *out = -1;
            return S_OK;
        }
        if (orvel::equalsIgnoringCase(text, u"false")) {
            *out = 0;
            return S_OK;
        }
        return parseNumber(v.bstrVal, out);
    }
    return DISP_E_TYPEMISMATCH;
}

// Converts a by-value view into a fresh variant of type vt.
HRESULT convert(const VARIANT& src, USHORT flags, VARTYPE vt, VARIANT* result)
{
    VariantInit(result);
    std::int64_t n = 0;
    switch (vt) {
    case VT_EMPTY:
        return S_OK;
    case VT_I4:
    case VT_INT:
        if (HRESULT hr = toNumber(src, &n); FAILED(hr))
            return hr;
        if (n < std::numeric_limits<LONG>::min() || n > std::numeric_limits<LONG>::max())
            return DISP_E_OVERFLOW;
        result->vt = vt;
        result->lVal = static_cast<LONG>(n);
        return S_OK;
    case VT_UI4:
    case VT_UINT:
        if (HRESULT hr = toNumber(src, &n); FAILED(hr))
            return hr;
        if (n < 0 || n > std::numeric_limits<ULONG>::max())
            return DISP_E_OVERFLOW;
        result->vt = vt;
        result->ulVal = static_cast<ULONG>(n);
        return S_OK;
    case VT_BOOL:
        if (HRESULT hr = toNumber(src, &n); FAILED(hr))
            return hr;
        result->vt = VT_BOOL;
        result->boolVal = n ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    case VT_BSTR: {
        std::string text;
        if (src.vt == VT_BSTR) {
            if (src.bstrVal) {
                result->bstrVal = SysAllocStringLen(src.bstrVal, SysStringLen(src.bstrVal));
                if (!result->bstrVal)
                    return E_OUTOFMEMORY;
            }
            result->vt = VT_BSTR;
            return S_OK;
        }
        if (src.vt == VT_BOOL && (flags & VARIANT_ALPHABOOL))
            text = src.boolVal ? "True" : "False";
        else if (src.vt == VT_EMPTY)
            text.clear();
        else if (numberOf(src, &n))
            text = std::to_string(n);
        else
            return DISP_E_TYPEMISMATCH;
        result->bstrVal = bstrFromUtf8(text);
        if (!result->bstrVal)
            return E_OUTOFMEMORY;
        result->vt = VT_BSTR;
        return S_OK;
    }
    case VT_UNKNOWN:
    case VT_DISPATCH: {
        if (src.vt != VT_UNKNOWN && src.vt != VT_DISPATCH)
            return DISP_E_TYPEMISMATCH;
        IUnknown* from = src.vt == VT_UNKNOWN ? src.punkVal : src.pdispVal;
        result->vt = vt;
        if (!from) {
            result->punkVal = nullptr;
            return S_OK;
        }
        void* p = nullptr;
        HRESULT hr = from->QueryInterface(vt == VT_UNKNOWN ? IID_IUnknown : IID_IDispatch, &p);
        if (FAILED(hr)) {
            result->vt = VT_EMPTY;
            return hr == E_NOINTERFACE ? DISP_E_TYPEMISMATCH : hr;
        }
        result->punkVal = static_cast<IUnknown*>(p);
        return S_OK;
    }
    default:
        return DISP_E_BADVARTYPE;
    }
}

} // namespace

void VariantInit(VARIANTARG* v)
{
    if (!v)
        return;
    v->vt = VT_EMPTY;
    v->wReserved1 = v->wReserved2 = v->wReserved3 = 0;
    v->record[0] = v->record[1] = nullptr;
}

HRESULT VariantClear(VARIANTARG* v)
{
    if (!v)
        return E_INVALIDARG;
    if (!isSupported(v->vt))
        return DISP_E_BADVARTYPE;
    switch (v->vt) {
    case VT_BSTR:
        SysFreeString(v->bstrVal);
        break;
    case VT_UNKNOWN:
        if (v->punkVal)
            v->punkVal->Release();
        break;
    case VT_DISPATCH:
        if (v->pdispVal)
            v->pdispVal->Release();
        break;
    default:
        break; // by-reference values belong to the caller
    }
    VariantInit(v);
    return S_OK;
}

HRESULT VariantCopy(VARIANTARG* dest, const VARIANTARG* src)
{
    if (!dest || !src)
        return E_INVALIDARG;
    if (dest == src)
        return S_OK;
    if (!isSupported(src->vt))
        return DISP_E_BADVARTYPE;
    VARIANT copy = *src;
    if (src->vt == VT_BSTR && src->bstrVal) {
        copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
        if (!copy.bstrVal)
            return E_OUTOFMEMORY;
    } else if ((src->vt == VT_UNKNOWN || src->vt == VT_DISPATCH) && src->punkVal) {
        src->punkVal->AddRef();
    }
    if (HRESULT hr = VariantClear(dest); FAILED(hr)) {
        VariantClear(&copy);
        return hr;
    }
    *dest = copy;
    return S_OK;
}

HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* src, USHORT flags, VARTYPE vt)
{
    if (!dest || !src)
        return E_INVALIDARG;
    if (!isSupported(src->vt) || !isSupported(vt) || (vt & VT_BYREF))
        return DISP_E_BADVARTYPE;
    VARIANT view;
    if (!dereference(src, &view))
        return DISP_E_TYPEMISMATCH;
    VARIANT result;
    if (HRESULT hr = convert(view, flags, vt, &result); FAILED(hr))
        return hr;
    // The source may be dest itself: clear only once the result exists.
    if (HRESULT hr = VariantClear(dest); FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    *dest = result;
    return S_OK;
}

Variant Variant::fromI4(LONG value)
{
    Variant v;
    v.m_v.vt = VT_I4;
    v.m_v.lVal = value;
    return v;
}

Variant Variant::fromUI4(ULONG value)
{
    Variant v;
    v.m_v.vt = VT_UI4;
    v.m_v.ulVal = value;
    return v;
}

Variant Variant::fromBool(bool value)
{
    Variant v;
    v.m_v.vt = VT_BOOL;
    v.m_v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

Variant Variant::fromBstr(BSTR value)
{
    Variant v;
    v.m_v.bstrVal = value ? SysAllocStringLen(value, SysStringLen(value)) : nullptr;
    if (v.m_v.bstrVal || !value)
        v.m_v.vt = VT_BSTR;
    return v;
}

Variant Variant::fromUtf8(std::string_view text)
{
    Variant v;
    v.m_v.bstrVal = bstrFromUtf8(text);
    if (v.m_v.bstrVal)
        v.m_v.vt = VT_BSTR;
    return v;
}

Variant Variant::fromUnknown(IUnknown* value)
{
    Variant v;
    v.m_v.vt = VT_UNKNOWN;
    v.m_v.punkVal = value;
    if (value)
        value->AddRef();
    return v;
}

Variant Variant::fromDispatch(IDispatch* value)
{
    Variant v;
    v.m_v.vt = VT_DISPATCH;
    v.m_v.pdispVal = value;
    if (value)
        value->AddRef();
    return v;
}
