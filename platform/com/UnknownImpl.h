#pragma once
// The one IUnknown implementation: an interface table from the template arguments, an atomic
// reference count, the module's live-object count, and aggregation. A class states only its
// interfaces:
//
//   class CamTarget210 final : public UnknownImpl<CamTarget210, ICamTarget> { ... };
//
// Aggregated, every interface's IUnknown slots delegate to the outer object and the outer
// holds the inner non-delegating unknown, which is what QueryInterface(IID_IUnknown) of the
// inner object returns to the creator.

#include "platform/com/LiveCount.h"
#include "platform/com/Unknown.h"

#include <atomic>
#include <new>
#include <tuple>
#include <type_traits>

// The interface an interface derives from; dual interfaces specialise it to IDispatch, so
// QueryInterface answers for every interface of the chain.
template <typename I> struct InterfaceParent {
    using type = IUnknown;
};

template <typename Derived, typename... Interfaces> class UnknownImpl : public Interfaces... {
    static_assert(sizeof...(Interfaces) > 0);
    using First = std::tuple_element_t<0, std::tuple<Interfaces...>>;

public:
    UnknownImpl(const UnknownImpl&) = delete;
    UnknownImpl& operator=(const UnknownImpl&) = delete;

    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        return m_outer->QueryInterface(riid, ppv);
    }
    ULONG AddRef() override { return m_outer->AddRef(); }
    ULONG Release() override { return m_outer->Release(); }

    // The standard creation path of a class factory. With an outer object only IUnknown may be
    // asked for (CLASS_E_NOAGGREGATION otherwise). args go to Derived's constructor.
    template <typename... Args>
    static HRESULT createInstance(IUnknown* outer, REFIID riid, void** ppv, Args&&... args)
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (outer && !IsEqualIID(riid, IID_IUnknown))
            return CLASS_E_NOAGGREGATION;
        auto* object = new (std::nothrow) Derived(std::forward<Args>(args)...);
        if (!object)
            return E_OUTOFMEMORY;
        UnknownImpl* base = object;
        if (outer)
            base->m_outer = outer;
        // The object starts with one reference, which the query replaces with the caller's.
        HRESULT hr = base->m_inner.QueryInterface(riid, ppv);
        base->m_inner.Release();
        return hr;
    }

    // Creates an object for in-process use (no aggregation); null when out of memory.
    template <typename... Args> static Derived* createRaw(Args&&... args)
    {
        return new (std::nothrow) Derived(std::forward<Args>(args)...);
    }

protected:
    explicit UnknownImpl(LiveCount* liveCount = nullptr) : m_inner(this), m_live(liveCount)
    {
        m_outer = &m_inner;
    }
    virtual ~UnknownImpl() = default;

    // Another interface the class answers for beyond its template list (a tear-off, an
    // interface it reaches through a member). Return nullptr when it has none.
    virtual void* queryExtra(REFIID) { return nullptr; }

    ULONG referenceCount() const { return m_inner.m_refs.load(); }
    IUnknown* controllingUnknown() const { return m_outer; }

private:
    template <typename I> static bool matches(REFIID riid)
    {
        if constexpr (std::is_same_v<I, IUnknown>)
            return false;
        else
            return IsEqualIID(riid, iidOf<I>) || matches<typename InterfaceParent<I>::type>(riid);
    }

    void* innerQuery(REFIID riid)
    {
        void* found = nullptr;
        ((found || !matches<Interfaces>(riid) ? void()
                                              : void(found = static_cast<Interfaces*>(this))),
         ...);
        if (!found)
            found = queryExtra(riid);
        return found;
    }

    // The non-delegating unknown.
    struct Inner final : IUnknown {
        explicit Inner(UnknownImpl* self) : m_self(self) {}
        HRESULT QueryInterface(REFIID riid, void** ppv) override
        {
            if (!ppv)
                return E_POINTER;
            if (IsEqualIID(riid, IID_IUnknown)) {
                *ppv = static_cast<IUnknown*>(this);
                AddRef();
                return S_OK;
            }
            void* found = m_self->innerQuery(riid);
            *ppv = found;
            if (!found)
                return E_NOINTERFACE;
            m_self->AddRef(); // through the outer when aggregated
            return S_OK;
        }
        ULONG AddRef() override { return m_refs.fetch_add(1, std::memory_order_relaxed) + 1; }
        ULONG Release() override
        {
            ULONG left = m_refs.fetch_sub(1, std::memory_order_acq_rel) - 1;
            if (left == 0)
                delete m_self;
            return left;
        }
        UnknownImpl* m_self;
        std::atomic<ULONG> m_refs{1};
    };

    Inner m_inner;
    IUnknown* m_outer = nullptr;
    LiveCountHold m_live;
};
