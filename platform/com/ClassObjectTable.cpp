#include "platform/com/ClassObjectTable.h"

#include "platform/com/Runtime.h"

#include <algorithm>

ClassObjectTable& ClassObjectTable::instance()
{
    // Never destroyed: class objects may be revoked from static destructors of other modules.
    static auto* table = new ClassObjectTable;
    return *table;
}

HRESULT ClassObjectTable::add(REFCLSID clsid, IUnknown* object, DWORD, DWORD flags, DWORD* cookie)
{
    if (!object || !cookie)
        return E_INVALIDARG;
    std::lock_guard lock(m_mutex);
    *cookie = m_nextCookie++;
    m_entries.push_back({clsid, ComPtr<IUnknown>(object), flags, *cookie, false});
    m_changed.notify_all();
    return S_OK;
}

HRESULT ClassObjectTable::revoke(DWORD cookie)
{
    ComPtr<IUnknown> released; // released after the lock: its Release is foreign code
    std::lock_guard lock(m_mutex);
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [&](const Entry& e) { return e.cookie == cookie; });
    if (it == m_entries.end())
        return E_INVALIDARG;
    released = std::move(it->object);
    m_entries.erase(it);
    return S_OK;
}

ComPtr<IUnknown> ClassObjectTable::takeLocked(REFCLSID clsid)
{
    for (Entry& e : m_entries) {
        if (e.used || !IsEqualCLSID(e.clsid, clsid) || (e.flags & REGCLS_SUSPENDED))
            continue;
        if ((e.flags & (REGCLS_MULTIPLEUSE | REGCLS_MULTI_SEPARATE)) == 0)
            e.used = true;
        return e.object;
    }
    return nullptr;
}

ComPtr<IUnknown> ClassObjectTable::take(REFCLSID clsid)
{
    std::lock_guard lock(m_mutex);
    return takeLocked(clsid);
}

ComPtr<IUnknown> ClassObjectTable::waitAndTake(REFCLSID clsid,
                                               std::chrono::steady_clock::time_point deadline,
                                               const std::function<bool()>& cancelled)
{
    std::unique_lock lock(m_mutex);
    ComPtr<IUnknown> found;
    m_changed.wait_until(lock, deadline, [&] {
        if (cancelled())
            return true;
        found = takeLocked(clsid);
        return bool(found);
    });
    return found;
}

void ClassObjectTable::wakeWaiters()
{
    std::lock_guard lock(m_mutex);
    m_changed.notify_all();
}
