// An in-process server for the runtime tests: one aggregatable class and one that refuses any
// outer object, counted for DllCanUnloadNow.

#include "platform/com/ClassTable.h"
#include "platform/com/Runtime.h"
#include "platform/com/tests/TestInterfaces.h"

namespace {

// Constant-initialised, so unloading the library runs no destructor that matters.
constinit LiveCount g_live;

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

const ClassEntry kClasses[] = {
    {&CLSID_TestCounter, "Test counter", "ComTest.Counter.1", "ComTest.Counter", &createCounter},
    {&CLSID_TestLoner, "Test loner", "ComTest.Loner.1", "ComTest.Loner", &Loner::create},
};
constexpr ClassTable kTable{kClasses, &g_live};

} // namespace

ORVEL_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv)
{
    return kTable.getClassObject(clsid, riid, ppv);
}

ORVEL_EXPORT HRESULT DllCanUnloadNow()
{
    return kTable.canUnloadNow();
}
