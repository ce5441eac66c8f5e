#pragma once
// Connection points with the Windows interfaces and identifiers, and the one implementation the
// suite's event sources use.
//
// A source object (the container) holds one ConnectionPointImpl per outgoing interface as a
// member and lists them in a ConnectionPointList:
//
//   class Luminent final : public UnknownImpl<Luminent, ..., IConnectionPointContainer> {
//       ConnectionPointImpl m_sinks{this, IID_ICamRequestSink};
//       ConnectionPointList m_points{&m_sinks};
//       HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** pp) override
//       { return m_points.find(riid, pp); }
//       ...
//   };
//
// and calls its sinks with m_sinks.forEach<ICamRequestSink>([&](ICamRequestSink* s) {...}).
// Sinks are called in the order they were advised, on the firing thread, without any lock held
// and each with a reference of its own, so a sink may Advise or Unadvise (itself included)
// during its call, and another thread's Unadvise never leaves a released sink being called.

#include "platform/com/ComPtr.h"
#include "platform/com/Dispatch.h"

#include <initializer_list>
#include <mutex>
#include <vector>

struct IConnectionPointContainer;

struct CONNECTDATA {
    IUnknown* pUnk;
    DWORD dwCookie;
};

struct IEnumConnections : IUnknown {
    // Each returned pUnk carries a reference the caller releases. S_FALSE when fewer than
    // cConnections were left; pcFetched may be null only when cConnections is 1.
    virtual HRESULT Next(ULONG cConnections, CONNECTDATA* rgcd, ULONG* pcFetched) = 0;
    virtual HRESULT Skip(ULONG cConnections) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumConnections** ppEnum) = 0;

protected:
    ~IEnumConnections() = default;
};

struct IConnectionPoint : IUnknown {
    virtual HRESULT GetConnectionInterface(IID* pIID) = 0;
    virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** ppCPC) = 0;
    // CONNECT_E_CANNOTCONNECT when the sink lacks the outgoing interface, E_POINTER for null
    // arguments; cookies start at 1 and are never reused by one connection point.
    virtual HRESULT Advise(IUnknown* pUnkSink, DWORD* pdwCookie) = 0;
    // CONNECT_E_NOCONNECTION for a cookie that is not advised.
    virtual HRESULT Unadvise(DWORD dwCookie) = 0;
    virtual HRESULT EnumConnections(IEnumConnections** ppEnum) = 0;

protected:
    ~IConnectionPoint() = default;
};

struct IEnumConnectionPoints : IUnknown {
    virtual HRESULT Next(ULONG cConnections, IConnectionPoint** ppCP, ULONG* pcFetched) = 0;
    virtual HRESULT Skip(ULONG cConnections) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumConnectionPoints** ppEnum) = 0;

protected:
    ~IEnumConnectionPoints() = default;
};

struct IConnectionPointContainer : IUnknown {
    virtual HRESULT EnumConnectionPoints(IEnumConnectionPoints** ppEnum) = 0;
    // CONNECT_E_NOCONNECTION when the object has no source for riid.
    virtual HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) = 0;

protected:
    ~IConnectionPointContainer() = default;
};

constexpr IID IID_IConnectionPointContainer = makeGuid("{B196B284-BAB4-101A-B69C-00AA00341D07}");
constexpr IID IID_IEnumConnectionPoints = makeGuid("{B196B285-BAB4-101A-B69C-00AA00341D07}");
constexpr IID IID_IConnectionPoint = makeGuid("{B196B286-BAB4-101A-B69C-00AA00341D07}");
constexpr IID IID_IEnumConnections = makeGuid("{B196B287-BAB4-101A-B69C-00AA00341D07}");
template <> inline constexpr IID iidOf<IConnectionPointContainer> = IID_IConnectionPointContainer;
template <> inline constexpr IID iidOf<IEnumConnectionPoints> = IID_IEnumConnectionPoints;
template <> inline constexpr IID iidOf<IConnectionPoint> = IID_IConnectionPoint;
template <> inline constexpr IID iidOf<IEnumConnections> = IID_IEnumConnections;

// One outgoing interface of a container. It lives inside the container object and shares its
// reference count, as a connection point does on Windows; QueryInterface on it answers
// IUnknown and IConnectionPoint only.
class ConnectionPointImpl final : public IConnectionPoint {
public:
    // container: the owning object (not referenced: it owns this). maxConnections 0 = no limit;
    // beyond it Advise answers CONNECT_E_ADVISELIMIT.
    ConnectionPointImpl(IConnectionPointContainer* container, REFIID iid,
                        std::size_t maxConnections = 0);
    ~ConnectionPointImpl();
    ConnectionPointImpl(const ConnectionPointImpl&) = delete;
    ConnectionPointImpl& operator=(const ConnectionPointImpl&) = delete;

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetConnectionInterface(IID* pIID) override;
    HRESULT GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;
    HRESULT Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override;
    HRESULT Unadvise(DWORD dwCookie) override;
    HRESULT EnumConnections(IEnumConnections** ppEnum) override;

    const IID& iid() const { return m_iid; }
    std::size_t count() const;
    // Drops every sink (the container's shutdown); their references go outside the lock.
    void unadviseAll();

    // Calls f(Sink*) for each sink advised when the call began and still advised when its turn
    // comes, in advise order. Sink is the outgoing interface type.
    template <typename Sink, typename F> void forEach(F&& f)
    {
        for (DWORD cookie : cookies()) {
            ComPtr<IUnknown> sink = sinkFor(cookie);
            if (sink)
                f(static_cast<Sink*>(sink.get()));
        }
    }
    // Fires a dispinterface event: Invoke(dispid) on every sink, results ignored. Only for a
    // connection point whose outgoing interface is a dispinterface.
    void fireDispatch(DISPID dispid, DISPPARAMS* params = nullptr);

private:
    struct Connection {
        DWORD cookie;
        ComPtr<IUnknown> sink; // the sink's pointer for m_iid
    };
    std::vector<DWORD> cookies() const;
    ComPtr<IUnknown> sinkFor(DWORD cookie) const;

    IConnectionPointContainer* const m_container;
    const IID m_iid;
    const std::size_t m_max;
    mutable std::mutex m_mutex;
    std::vector<Connection> m_connections; // guarded by m_mutex, in advise order
    DWORD m_nextCookie = 1;                // guarded by m_mutex
};

// The connection points a container offers, for its two IConnectionPointContainer methods.
class ConnectionPointList {
public:
    ConnectionPointList(std::initializer_list<ConnectionPointImpl*> points) : m_points(points) {}
    HRESULT find(REFIID riid, IConnectionPoint** ppCP) const;
    HRESULT enumerate(IEnumConnectionPoints** ppEnum) const;

private:
    std::vector<ConnectionPointImpl*> m_points;
};
