#include "client/ClassFactory.h"

#include "client/ModuleState.h"

namespace lumin {

ClassFactory::~ClassFactory()
{
    // Locks still held when the last reference goes would keep the library loaded forever.
    for (long n = m_locks.exchange(0); n > 0; --n)
        moduleLiveCount().decrement();
}

HRESULT ClassFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject)
{
    return m_create(pUnkOuter, riid, ppvObject);
}

HRESULT ClassFactory::LockServer(BOOL fLock)
{
    if (fLock) {
        m_locks.fetch_add(1);
        moduleLiveCount().increment();
        return S_OK;
    }
    // An unlock without a lock must not take the library's count below its objects.
    long held = m_locks.load();
    while (held > 0 && !m_locks.compare_exchange_weak(held, held - 1)) {
    }
    if (held > 0)
        moduleLiveCount().decrement();
    return S_OK;
}

} // namespace lumin
