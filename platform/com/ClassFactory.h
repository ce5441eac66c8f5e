#pragma once
// A class factory for one class: CreateInstance calls the class's creation function (usually
// X::createInstance of UnknownImpl, which applies the aggregation rules).
//
// In a shared library pass the module's LiveCount: the factory then keeps the library loaded
// while anyone holds it (DllCanUnloadNow counts it), and LockServer(TRUE) does the same. A
// program registering a local server passes null.

#include "platform/com/UnknownImpl.h"

class ClassFactory final : public UnknownImpl<ClassFactory, IClassFactory> {
public:
    using CreateFn = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv);

    ClassFactory(CreateFn create, LiveCount* live)
        : UnknownImpl(live), m_create(create), m_live(live)
    {}

    HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) override
    {
        if (!ppvObject)
            return E_POINTER;
        *ppvObject = nullptr;
        return m_create(pUnkOuter, riid, ppvObject);
    }
    HRESULT LockServer(BOOL fLock) override
    {
        if (!m_live)
            return S_OK;
        if (fLock)
            m_live->increment();
        else
            m_live->decrement();
        return S_OK;
    }

    // DllGetClassObject's work for one class: a fresh factory queried for riid.
    static HRESULT getClassObject(CreateFn create, LiveCount* live, REFIID riid, void** ppv)
    {
        return createInstance(nullptr, riid, ppv, create, live);
    }

private:
    CreateFn m_create;
    LiveCount* m_live;
};
