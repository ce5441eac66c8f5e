#pragma once
// IDispatch with the Windows slot order and identifiers, and the table-driven implementation
// every dual interface of the suite uses. Beside each dual interface its header declares the
// dispatch table (DISPIDs and names are part of the interface contract):
//
//   template <> struct DispatchTable<ICamRecord> {
//       static constexpr DispatchMember members[] = {
//           dispMethod<&ICamRecord::Start>(1, u"Start"), ...};
//   };
//
// and an implementation derives from DualImpl<ICamRecord>, which answers GetIDsOfNames and
// Invoke from the table, converting VARIANT arguments to the method's parameter types.
//
// One deliberate difference from the Windows type-library Invoke: a method's HRESULT, success
// codes such as S_FALSE included, is returned as Invoke's result rather than folded into
// DISP_E_EXCEPTION, so a caller through IDispatch (and the local-server proxy) sees exactly what
// the method answered.

#include "platform/com/UnknownImpl.h"
#include "platform/com/Variant.h"

#include <algorithm>
#include <span>
#include <tuple>
#include <type_traits>
#include <vector>

using DISPID = LONG;
using MEMBERID = DISPID;
using LCID = DWORD;

constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;

constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_VALUE = 0;
constexpr DISPID DISPID_PROPERTYPUT = -3;

constexpr WORD DISPATCH_METHOD = 0x1;
constexpr WORD DISPATCH_PROPERTYGET = 0x2;
constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;

// Arguments in reverse order: rgvarg[0] is the last argument.
struct DISPPARAMS {
    VARIANTARG* rgvarg;
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};

struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void* pvReserved;
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
    HRESULT scode;
};

// Type information is not provided (GetTypeInfoCount answers 0); the type exists only so that
// the IDispatch slots have their Windows signatures.
struct ITypeInfo;

struct IDispatch : IUnknown {
    virtual HRESULT GetTypeInfoCount(UINT* pctinfo) = 0;
    virtual HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;
    virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                  DISPID* rgDispId) = 0;
    virtual HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                           DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                           UINT* puArgErr) = 0;

protected:
    ~IDispatch() = default;
};

constexpr IID IID_IDispatch = makeGuid("{00020400-0000-0000-C000-000000000046}");
template <> inline constexpr IID iidOf<IDispatch> = IID_IDispatch;

// One member of a dual interface. self is the interface pointer the call came through.
using DispatchInvoker = HRESULT (*)(IDispatch* self, DISPPARAMS* params, VARIANT* result,
                                    UINT* argErr);
struct DispatchMember {
    DISPID dispid;
    const char16_t* name;
    DispatchInvoker method = nullptr; // DISPATCH_METHOD
    DispatchInvoker get = nullptr;    // DISPATCH_PROPERTYGET
    DispatchInvoker put = nullptr;    // DISPATCH_PROPERTYPUT
};

// Specialised beside each dual interface (see the top of this file).
template <typename I> struct DispatchTable;

// The IDispatch work behind DualImpl, usable on its own by an object that dispatches a
// dispinterface (an event sink).
// Names compare case-insensitively (ASCII); only the member name (rgszNames[0]) is resolved:
// parameter names give DISPID_UNKNOWN and DISP_E_UNKNOWNNAME.
HRESULT dispatchGetIDsOfNames(std::span<const DispatchMember> members, REFIID riid,
                              LPOLESTR* rgszNames, UINT cNames, DISPID* rgDispId);
// DISP_E_MEMBERNOTFOUND for an unknown DISPID or a kind the member lacks, DISP_E_BADPARAMCOUNT,
// DISP_E_TYPEMISMATCH (with *puArgErr) when an argument does not convert, DISP_E_NONAMEDARGS,
// DISP_E_UNKNOWNINTERFACE for riid other than IID_NULL; otherwise the member's own result.
HRESULT dispatchInvoke(std::span<const DispatchMember> members, IDispatch* self,
                       DISPID dispIdMember, REFIID riid, WORD wFlags, DISPPARAMS* pDispParams,
                       VARIANT* pVarResult, UINT* puArgErr);
// Finds a member by DISPID; null when the table has none.
const DispatchMember* findDispatchMember(std::span<const DispatchMember> members, DISPID dispid);

namespace orvel::detail {

// Argument conversion from a VARIANT to a method's parameter type. Borrowed values (a BSTR,
// an interface pointer) stay valid for the call through `holder`.
template <typename T> struct DispArg;

template <VARTYPE VT, typename T, T VARIANT::*Field> struct ScalarArg {
    Variant holder;
    T value{};
    HRESULT load(const VARIANT& in)
    {
        if (HRESULT hr = VariantChangeType(holder.get(), &in, 0, VT); FAILED(hr))
            return hr;
        value = holder.get()->*Field;
        return S_OK;
    }
    static Variant toVariant(T v)
    {
        Variant out;
        out.get()->vt = VT;
        out.get()->*Field = v;
        return out;
    }
};

template <> struct DispArg<LONG> : ScalarArg<VT_I4, LONG, &VARIANT::lVal> {};
template <> struct DispArg<ULONG> : ScalarArg<VT_UI4, ULONG, &VARIANT::ulVal> {};
template <> struct DispArg<VARIANT_BOOL> : ScalarArg<VT_BOOL, VARIANT_BOOL, &VARIANT::boolVal> {};
template <> struct DispArg<BSTR> : ScalarArg<VT_BSTR, BSTR, &VARIANT::bstrVal> {
    HRESULT load(const VARIANT& in)
    {
        if (in.vt == VT_BSTR) {
            value = in.bstrVal; // borrowed: the caller owns it for the call
            return S_OK;
        }
        return ScalarArg::load(in);
    }
    static Variant toVariant(BSTR v) { return Variant::fromBstr(v); }
};
template <> struct DispArg<IUnknown*> : ScalarArg<VT_UNKNOWN, IUnknown*, &VARIANT::punkVal> {
    static Variant toVariant(IUnknown* v) { return Variant::fromUnknown(v); }
};
template <> struct DispArg<IDispatch*> : ScalarArg<VT_DISPATCH, IDispatch*, &VARIANT::pdispVal> {
    static Variant toVariant(IDispatch* v) { return Variant::fromDispatch(v); }
};

template <typename M> struct MemberTraits;
template <typename C, typename... A> struct MemberTraits<HRESULT (C::*)(A...)> {
    using Class = C;
    using Args = std::tuple<std::remove_cv_t<A>...>;
    static constexpr std::size_t arity = sizeof...(A);
};

template <auto Method, std::size_t... Is>
HRESULT invokeWith(IDispatch* self, DISPPARAMS* params, UINT* argErr, std::index_sequence<Is...>)
{
    using Traits = MemberTraits<decltype(Method)>;
    constexpr std::size_t n = Traits::arity;
    std::tuple<DispArg<std::tuple_element_t<Is, typename Traits::Args>>...> args;
    HRESULT hr = S_OK;
    // Declaration order i is rgvarg[n - 1 - i].
    auto loadOne = [&](auto& arg, std::size_t i) {
        hr = arg.load(params->rgvarg[n - 1 - i]);
        if (FAILED(hr) && argErr)
            *argErr = static_cast<UINT>(n - 1 - i);
        return SUCCEEDED(hr);
    };
    (void)loadOne;
    (void)(loadOne(std::get<Is>(args), Is) && ...);
    if (FAILED(hr))
        return hr == DISP_E_OVERFLOW ? DISP_E_OVERFLOW : DISP_E_TYPEMISMATCH;
    auto* object = static_cast<typename Traits::Class*>(self);
    return (object->*Method)(std::get<Is>(args).value...);
}

template <auto Method>
HRESULT invokeMethod(IDispatch* self, DISPPARAMS* params, VARIANT*, UINT* argErr)
{
    constexpr std::size_t n = MemberTraits<decltype(Method)>::arity;
    if (params->cArgs != n)
        return DISP_E_BADPARAMCOUNT;
    return invokeWith<Method>(self, params, argErr, std::make_index_sequence<n>{});
}

// Out-parameter of a property getter, moved into the result VARIANT.
template <typename T> struct DispOut;
template <> struct DispOut<LONG> {
    static void store(LONG v, VARIANT* r) { r->vt = VT_I4, r->lVal = v; }
};
template <> struct DispOut<ULONG> {
    static void store(ULONG v, VARIANT* r) { r->vt = VT_UI4, r->ulVal = v; }
};
template <> struct DispOut<VARIANT_BOOL> {
    static void store(VARIANT_BOOL v, VARIANT* r) { r->vt = VT_BOOL, r->boolVal = v; }
};
template <> struct DispOut<BSTR> {
    static void store(BSTR v, VARIANT* r) { r->vt = VT_BSTR, r->bstrVal = v; }
};

template <typename G> struct GetterTraits;
template <typename C, typename T> struct GetterTraits<HRESULT (C::*)(T*)> {
    using Class = C;
    using Value = T;
};

template <auto Get> HRESULT invokeGet(IDispatch* self, DISPPARAMS* params, VARIANT* result, UINT*)
{
    using Traits = GetterTraits<decltype(Get)>;
    if (params->cArgs != 0)
        return DISP_E_BADPARAMCOUNT;
    typename Traits::Value value{}; // BSTR out-parameters start null: callees reallocate
    HRESULT hr = (static_cast<typename Traits::Class*>(self)->*Get)(&value);
    if (FAILED(hr))
        return hr;
    if (result) {
        VariantClear(result);
        DispOut<typename Traits::Value>::store(value, result);
    } else if constexpr (std::is_same_v<typename Traits::Value, BSTR>) {
        SysFreeString(value);
    }
    return hr;
}

template <auto Put> HRESULT invokePut(IDispatch* self, DISPPARAMS* params, VARIANT*, UINT* argErr)
{
    if (params->cArgs != 1)
        return DISP_E_BADPARAMCOUNT;
    return invokeWith<Put>(self, params, argErr, std::make_index_sequence<1>{});
}

} // namespace orvel::detail

template <auto Method> constexpr DispatchMember dispMethod(DISPID dispid, const char16_t* name)
{
    return {dispid, name, &orvel::detail::invokeMethod<Method>, nullptr, nullptr};
}
template <auto Get, auto Put>
constexpr DispatchMember dispProperty(DISPID dispid, const char16_t* name)
{
    return {dispid, name, nullptr, &orvel::detail::invokeGet<Get>, &orvel::detail::invokePut<Put>};
}
template <auto Get> constexpr DispatchMember dispReadOnly(DISPID dispid, const char16_t* name)
{
    return {dispid, name, nullptr, &orvel::detail::invokeGet<Get>, nullptr};
}
// A member of a dispinterface that has no vtable slot (an event): only its id and name.
constexpr DispatchMember dispEvent(DISPID dispid, const char16_t* name)
{
    return {dispid, name, nullptr, nullptr, nullptr};
}

// Implements IDispatch for the dual interface I from DispatchTable<I>. Used as an interface
// of UnknownImpl: `class CamRecord final : public UnknownImpl<CamRecord, DualImpl<ICamRecord>>`.
template <typename I> class DualImpl : public I {
public:
    HRESULT GetTypeInfoCount(UINT* pctinfo) override
    {
        if (!pctinfo)
            return E_INVALIDARG;
        *pctinfo = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override
    {
        if (!ppTInfo)
            return E_INVALIDARG;
        *ppTInfo = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID,
                          DISPID* rgDispId) override
    {
        return dispatchGetIDsOfNames(DispatchTable<I>::members, riid, rgszNames, cNames, rgDispId);
    }
    HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags, DISPPARAMS* pDispParams,
                   VARIANT* pVarResult, EXCEPINFO*, UINT* puArgErr) override
    {
        return dispatchInvoke(DispatchTable<I>::members, static_cast<I*>(this), dispIdMember, riid,
                              wFlags, pDispParams, pVarResult, puArgErr);
    }

protected:
    ~DualImpl() = default;
};

template <typename I> inline constexpr IID iidOf<DualImpl<I>> = iidOf<I>;
template <typename I> struct InterfaceParent<DualImpl<I>> {
    using type = I;
};

// The IDispatch of an object that answers Invoke itself (an event sink, a site's ambient
// properties): no type information and no names. Used as an interface of UnknownImpl; the
// class implements Invoke.
class DispatchSinkImpl : public IDispatch {
public:
    HRESULT GetTypeInfoCount(UINT* pctinfo) override
    {
        if (!pctinfo)
            return E_INVALIDARG;
        *pctinfo = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override
    {
        if (!ppTInfo)
            return E_INVALIDARG;
        *ppTInfo = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return DISP_E_UNKNOWNNAME;
    }

protected:
    ~DispatchSinkImpl() = default;
};
template <> inline constexpr IID iidOf<DispatchSinkImpl> = IID_IDispatch;

// Builds DISPPARAMS for a call through IDispatch from arguments in declaration order.
class DispatchArgs {
public:
    template <typename... A> explicit DispatchArgs(A&&... args)
    {
        (m_args.push_back(std::forward<A>(args)), ...);
        std::reverse(m_args.begin(), m_args.end());
        m_raw.reserve(m_args.size());
        for (auto& v : m_args)
            m_raw.push_back(*v.get());
        m_params = {m_raw.data(), nullptr, static_cast<UINT>(m_raw.size()), 0};
    }
    DispatchArgs(const DispatchArgs&) = delete;
    DispatchArgs& operator=(const DispatchArgs&) = delete;
    DISPPARAMS* get() { return &m_params; }

private:
    std::vector<Variant> m_args; // owns the values
    std::vector<VARIANT> m_raw;  // shallow copies the callee reads
    DISPPARAMS m_params{};
};
