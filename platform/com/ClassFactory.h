#pragma once
// The class factory of every class a deliverable serves: CreateInstance calls the class's
// creation function (usually X::createInstance of UnknownImpl, which applies the aggregation
// rules).
//
// A factory is not a live object of its module, as COM has it: LockServer(TRUE) is how a holder
// keeps the library loaded. Locks go to the module's LiveCount, which ignores an unlock without
// a lock. A program registering a local server passes a null LiveCount.

#include "platform/com/UnknownImpl.h"

class ClassFactory final : public UnknownImpl<ClassFactory, IClassFactory> {
public:
    using CreateFn = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv);

    ClassFactory(CreateFn create, LiveCount* live) : m_create(create), m_live(live) {}

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
            m_live->lock();
        else
            m_live->unlock();
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
