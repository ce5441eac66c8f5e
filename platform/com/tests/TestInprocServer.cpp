// An in-process server for the runtime tests: one aggregatable class and one that refuses any
// outer object, counted for DllCanUnloadNow.

#include "platform/com/ClassFactory.h"
#include "platform/com/Runtime.h"
#include "platform/com/tests/TestInterfaces.h"

namespace {

// Constant-initialised, so unloading the library runs no destructor that matters.
LiveCount g_live;

class Counter final : public UnknownImpl<Counter, ITestCounter> {
public:
    Counter() : UnknownImpl(&g_live) {}
    HRESULT Add(LONG n) override
    {
        m_total += n;
        return S_OK;
    }
    HRESULT GetTotal(LONG* total) override
    {
        if (!total)
            return E_POINTER;
        *total = m_total;
        return S_OK;
    }

private:
    LONG m_total = 0;
};

class Loner final : public UnknownImpl<Loner, ITestCounter> {
public:
    Loner() : UnknownImpl(&g_live) {}
    HRESULT Add(LONG) override { return S_OK; }
    HRESULT GetTotal(LONG* total) override
    {
        if (!total)
            return E_POINTER;
        *total = -1;
        return S_OK;
    }
    static HRESULT create(IUnknown* outer, REFIID riid, void** ppv)
    {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return createInstance(nullptr, riid, ppv);
    }
};

HRESULT createCounter(IUnknown* outer, REFIID riid, void** ppv)
{
    return Counter::createInstance(outer, riid, ppv);
}

} // namespace

ORVEL_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (IsEqualCLSID(clsid, CLSID_TestCounter))
        return ClassFactory::getClassObject(&createCounter, &g_live, riid, ppv);
    if (IsEqualCLSID(clsid, CLSID_TestLoner))
        return ClassFactory::getClassObject(&Loner::create, &g_live, riid, ppv);
    return CLASS_E_CLASSNOTAVAILABLE;
}

ORVEL_EXPORT HRESULT DllCanUnloadNow()
{
    return g_live.value() == 0 ? S_OK : S_FALSE;
}
