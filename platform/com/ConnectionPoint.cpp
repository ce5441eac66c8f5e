#include "platform/com/ConnectionPoint.h"

#include <algorithm>
#include <memory>

namespace {

// Enumerators over a snapshot taken when they were made; clones share the snapshot.
template <typename Item> struct Snapshot {
    std::vector<Item> items;
};

class ConnectionEnumerator final : public UnknownImpl<ConnectionEnumerator, IEnumConnections> {
public:
    using Items = std::shared_ptr<const Snapshot<std::pair<ComPtr<IUnknown>, DWORD>>>;
    ConnectionEnumerator(Items items, std::size_t pos) : m_items(std::move(items)), m_pos(pos) {}

    HRESULT Next(ULONG count, CONNECTDATA* out, ULONG* fetched) override
    {
        if (!out || (count != 1 && !fetched))
            return E_POINTER;
        ULONG n = 0;
        while (n < count && m_pos < m_items->items.size()) {
            const auto& [sink, cookie] = m_items->items[m_pos++];
            out[n].pUnk = sink.get();
            sink->AddRef();
            out[n].dwCookie = cookie;
            ++n;
        }
        if (fetched)
            *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG count) override
    {
        std::size_t left = m_items->items.size() - m_pos;
        m_pos += std::min<std::size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT Reset() override
    {
        m_pos = 0;
        return S_OK;
    }
    HRESULT Clone(IEnumConnections** pp) override
    {
        return createInstance(nullptr, IID_IEnumConnections, reinterpret_cast<void**>(pp), m_items,
                              m_pos);
    }

private:
    Items m_items;
    std::size_t m_pos;
};

class PointEnumerator final : public UnknownImpl<PointEnumerator, IEnumConnectionPoints> {
public:
    using Items = std::shared_ptr<const Snapshot<ComPtr<IConnectionPoint>>>;
    PointEnumerator(Items items, std::size_t pos) : m_items(std::move(items)), m_pos(pos) {}

    HRESULT Next(ULONG count, IConnectionPoint** out, ULONG* fetched) override
    {
        if (!out || (count != 1 && !fetched))
            return E_POINTER;
        ULONG n = 0;
        while (n < count && m_pos < m_items->items.size())
            m_items->items[m_pos++].copyTo(&out[n++]);
        if (fetched)
            *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG count) override
    {
        std::size_t left = m_items->items.size() - m_pos;
        m_pos += std::min<std::size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT Reset() override
    {
        m_pos = 0;
        return S_OK;
    }
    HRESULT Clone(IEnumConnectionPoints** pp) override
    {
        return createInstance(nullptr, IID_IEnumConnectionPoints, reinterpret_cast<void**>(pp),
                              m_items, m_pos);
    }

private:
    Items m_items;
    std::size_t m_pos;
};

} // namespace

ConnectionPointImpl::ConnectionPointImpl(IConnectionPointContainer* container, REFIID iid,
                                         std::size_t maxConnections)
    : m_container(container), m_iid(iid), m_max(maxConnections)
{}

ConnectionPointImpl::~ConnectionPointImpl()
{
    unadviseAll();
}

HRESULT ConnectionPointImpl::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IConnectionPoint)) {
        *ppv = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG ConnectionPointImpl::AddRef()
{
    return m_container->AddRef();
}

ULONG ConnectionPointImpl::Release()
{
    return m_container->Release();
}

HRESULT ConnectionPointImpl::GetConnectionInterface(IID* pIID)
{
    if (!pIID)
        return E_POINTER;
    *pIID = m_iid;
    return S_OK;
}

HRESULT ConnectionPointImpl::GetConnectionPointContainer(IConnectionPointContainer** ppCPC)
{
    if (!ppCPC)
        return E_POINTER;
    *ppCPC = m_container;
    m_container->AddRef();
    return S_OK;
}

HRESULT ConnectionPointImpl::Advise(IUnknown* pUnkSink, DWORD* pdwCookie)
{
    if (!pdwCookie)
        return E_POINTER;
    *pdwCookie = 0;
    if (!pUnkSink)
        return E_POINTER;
    // The query runs outside the lock: a sink's QueryInterface is foreign code.
    ComPtr<IUnknown> sink;
    if (FAILED(pUnkSink->QueryInterface(m_iid, sink.putVoid())) || !sink)
        return CONNECT_E_CANNOTCONNECT;
    std::lock_guard lock(m_mutex);
    if (m_max && m_connections.size() >= m_max)
        return CONNECT_E_ADVISELIMIT; // sink released after the lock (declared first)
    DWORD cookie = m_nextCookie++;
    if (m_nextCookie == 0) // 0 is never a cookie
        m_nextCookie = 1;
    m_connections.push_back({cookie, std::move(sink)});
    *pdwCookie = cookie;
    return S_OK;
}

HRESULT ConnectionPointImpl::Unadvise(DWORD dwCookie)
{
    ComPtr<IUnknown> released; // its Release runs after the lock is left
    {
        std::lock_guard lock(m_mutex);
        auto it = std::find_if(m_connections.begin(), m_connections.end(),
                               [&](const Connection& c) { return c.cookie == dwCookie; });
        if (it == m_connections.end())
            return CONNECT_E_NOCONNECTION;
        released = std::move(it->sink);
        m_connections.erase(it);
    }
    return S_OK;
}

HRESULT ConnectionPointImpl::EnumConnections(IEnumConnections** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    auto snapshot = std::make_shared<Snapshot<std::pair<ComPtr<IUnknown>, DWORD>>>();
    {
        std::lock_guard lock(m_mutex);
        for (const Connection& c : m_connections)
            snapshot->items.emplace_back(c.sink, c.cookie);
    }
    return ConnectionEnumerator::createInstance(
        nullptr, IID_IEnumConnections, reinterpret_cast<void**>(ppEnum),
        ConnectionEnumerator::Items(std::move(snapshot)), std::size_t{0});
}

std::size_t ConnectionPointImpl::count() const
{
    std::lock_guard lock(m_mutex);
    return m_connections.size();
}

void ConnectionPointImpl::unadviseAll()
{
    std::vector<Connection> dropped;
    {
        std::lock_guard lock(m_mutex);
        dropped.swap(m_connections);
    }
}

std::vector<DWORD> ConnectionPointImpl::cookies() const
{
    std::lock_guard lock(m_mutex);
    std::vector<DWORD> out;
    out.reserve(m_connections.size());
    for (const Connection& c : m_connections)
        out.push_back(c.cookie);
    return out;
}

ComPtr<IUnknown> ConnectionPointImpl::sinkFor(DWORD cookie) const
{
    std::lock_guard lock(m_mutex);
    for (const Connection& c : m_connections) {
        if (c.cookie == cookie)
            return c.sink;
    }
    return nullptr;
}

void ConnectionPointImpl::fireDispatch(DISPID dispid, DISPPARAMS* params)
{
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    forEach<IDispatch>([&](IDispatch* sink) {
        sink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                     params ? params : &none, nullptr, nullptr, nullptr);
    });
}

HRESULT ConnectionPointList::find(REFIID riid, IConnectionPoint** ppCP) const
{
    if (!ppCP)
        return E_POINTER;
    *ppCP = nullptr;
    for (ConnectionPointImpl* cp : m_points) {
        if (IsEqualIID(cp->iid(), riid)) {
            *ppCP = cp;
            cp->AddRef();
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

HRESULT ConnectionPointList::enumerate(IEnumConnectionPoints** ppEnum) const
{
    if (!ppEnum)
        return E_POINTER;
    auto snapshot = std::make_shared<Snapshot<ComPtr<IConnectionPoint>>>();
    for (ConnectionPointImpl* cp : m_points)
        snapshot->items.emplace_back(cp);
    return PointEnumerator::createInstance(
        nullptr, IID_IEnumConnectionPoints, reinterpret_cast<void**>(ppEnum),
        PointEnumerator::Items(std::move(snapshot)), std::size_t{0});
}
