#pragma once
// The creator-side proxy of a dual interface served by a local server. The runtime knows no
// interface of its own: each dual interface that may cross a process declares, beside its
// dispatch table, the proxy that forwards its slots and registers it:
//
//   template <> class RemoteProxy<ICamRecord> final : public RemoteFacet<ICamRecord> {
//   public:
//       using RemoteFacet::RemoteFacet;
//       HRESULT Stop() override { return forward<&ICamRecord::Stop>(); } ...
//   };
//   inline const RemoteInterfaceRegistration<ICamRecord> kRemoteICamRecord;
//
// forward<> finds the member's DISPID and kind in DispatchTable<I>, so the ids are written once,
// in the table. Both processes must register an interface: the creator to hand out its proxy,
// the server to accept calls through it.

#include "platform/com/Dispatch.h"

#include <new>
#include <type_traits>

// The proxy object a facet belongs to: its identity, reference count and connection.
class RemoteOwner : public IUnknown {
public:
    // Sends one call to the object in the server; the server's answer or RPC_E_* when the
    // connection failed. Called on any thread; calls are serialised per connection.
    virtual HRESULT remoteInvoke(REFIID iid, DISPID dispid, WORD flags, DISPPARAMS* params,
                                 VARIANT* result) = 0;

protected:
    ~RemoteOwner() = default;
};

namespace orvel::detail {

struct RemoteMember {
    DISPID dispid = DISPID_UNKNOWN;
    WORD flags = 0;
};

// A property getter: one out-parameter of a type the table can return.
template <typename T> inline constexpr bool kIsDispatchOutput = false;
template <> inline constexpr bool kIsDispatchOutput<LONG> = true;
template <> inline constexpr bool kIsDispatchOutput<ULONG> = true;
template <> inline constexpr bool kIsDispatchOutput<VARIANT_BOOL> = true;
template <> inline constexpr bool kIsDispatchOutput<BSTR> = true;
template <typename M> struct IsGetter : std::false_type {};
template <typename C, typename T>
struct IsGetter<HRESULT (C::*)(T*)> : std::bool_constant<kIsDispatchOutput<T>> {};

// The table entry of Method: DISPATCH_METHOD, PROPERTYGET or PROPERTYPUT and its DISPID;
// flags 0 when the table lacks it. Looked up once (function addresses are not constants).
template <typename I, auto Method> RemoteMember remoteMember()
{
    static const RemoteMember found = [] {
        for (const DispatchMember& m : DispatchTable<I>::members) {
            if constexpr (IsGetter<decltype(Method)>::value) {
                if (m.get == &invokeGet<Method>)
                    return RemoteMember{m.dispid, DISPATCH_PROPERTYGET};
            } else {
                if (m.method == &invokeMethod<Method>)
                    return RemoteMember{m.dispid, DISPATCH_METHOD};
                if constexpr (MemberTraits<decltype(Method)>::arity == 1) {
                    if (m.put == &invokePut<Method>)
                        return RemoteMember{m.dispid, DISPATCH_PROPERTYPUT};
                }
            }
        }
        return RemoteMember{};
    }();
    return found;
}

} // namespace orvel::detail

// One forwarded interface of a proxy; shares the owner's identity and reference count.
template <typename I> class RemoteFacet : public I {
public:
    explicit RemoteFacet(RemoteOwner* owner) : m_owner(owner) {}
    virtual ~RemoteFacet() = default;

    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        return m_owner->QueryInterface(riid, ppv);
    }
    ULONG AddRef() override { return m_owner->AddRef(); }
    ULONG Release() override { return m_owner->Release(); }
    HRESULT GetTypeInfoCount(UINT* pctinfo) override
    {
        if (!pctinfo)
            return E_INVALIDARG;
        *pctinfo = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** pp) override
    {
        if (!pp)
            return E_INVALIDARG;
        *pp = nullptr;
        return DISP_E_BADINDEX;
    }
    // Names resolve locally: the table is part of the interface both sides were built with.
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        if constexpr (std::is_same_v<I, IDispatch>)
            return E_NOTIMPL; // the runtime's own IDispatch facet resolves names in the server
        else
            return dispatchGetIDsOfNames(DispatchTable<I>::members, riid, names, count, ids);
    }
    HRESULT Invoke(DISPID dispid, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO*, UINT*) override
    {
        if (!IsEqualIID(riid, IID_NULL))
            return DISP_E_UNKNOWNINTERFACE;
        return m_owner->remoteInvoke(iidOf<I>, dispid, flags, params, result);
    }

protected:
    // Forwards a call of Method (a member of DispatchTable<I>) with its arguments.
    template <auto Method, typename... A> HRESULT forward(A... args)
    {
        const orvel::detail::RemoteMember member = orvel::detail::remoteMember<I, Method>();
        if (member.flags == 0)
            return DISP_E_MEMBERNOTFOUND; // the table does not list it: nothing can serve it
        if constexpr (orvel::detail::IsGetter<decltype(Method)>::value) {
            return forwardGet(member.dispid, args...);
        } else {
            DispatchArgs params{orvel::detail::DispArg<A>::toVariant(args)...};
            DISPID named = DISPID_PROPERTYPUT;
            if (member.flags == DISPATCH_PROPERTYPUT) {
                params.get()->rgdispidNamedArgs = &named;
                params.get()->cNamedArgs = 1;
            }
            return m_owner->remoteInvoke(iidOf<I>, member.dispid, member.flags, params.get(),
                                         nullptr);
        }
    }

private:
    template <typename T> HRESULT forwardGet(DISPID dispid, T* out)
    {
        if (!out)
            return E_POINTER;
        DispatchArgs none;
        Variant result;
        HRESULT hr =
            m_owner->remoteInvoke(iidOf<I>, dispid, DISPATCH_PROPERTYGET, none.get(), result.get());
        if (FAILED(hr))
            return hr;
        orvel::detail::DispArg<T> value;
        if (HRESULT converted = value.load(*result.get()); FAILED(converted))
            return converted;
        if constexpr (std::is_same_v<T, BSTR>)
            *out = SysAllocStringLen(value.value, SysStringLen(value.value));
        else
            *out = value.value;
        return hr;
    }

    RemoteOwner* m_owner;
};

// Specialised beside each dual interface a local server may serve (see the top of this file).
template <typename I> class RemoteProxy;

// What the runtime knows of a remotable interface: its id and how to make its facet.
struct RemoteInterfaceInfo {
    IID iid;
    IDispatch* (*makeFacet)(RemoteOwner* owner); // null when out of memory
    void (*destroyFacet)(IDispatch* facet);
};

// The process-wide table of remotable interfaces. Registrations nest: the last registration
// of an iid answers until it is withdrawn. Any thread.
void registerRemoteInterface(const RemoteInterfaceInfo* info);
void unregisterRemoteInterface(const RemoteInterfaceInfo* info);
// Null when no module of this process declared iid remotable.
const RemoteInterfaceInfo* findRemoteInterface(REFIID iid);

// Registers RemoteProxy<I> while the module that holds it is loaded.
template <typename I> class RemoteInterfaceRegistration {
public:
    RemoteInterfaceRegistration() { registerRemoteInterface(&kInfo); }
    ~RemoteInterfaceRegistration() { unregisterRemoteInterface(&kInfo); }
    RemoteInterfaceRegistration(const RemoteInterfaceRegistration&) = delete;
    RemoteInterfaceRegistration& operator=(const RemoteInterfaceRegistration&) = delete;

private:
    static IDispatch* make(RemoteOwner* owner)
    {
        I* facet = new (std::nothrow) RemoteProxy<I>(owner);
        return facet;
    }
    static void destroy(IDispatch* facet) { delete static_cast<RemoteProxy<I>*>(facet); }
    static constexpr RemoteInterfaceInfo kInfo{iidOf<I>, &make, &destroy};
};
