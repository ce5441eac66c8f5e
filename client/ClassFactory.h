#pragma once
// The class factory of every class the library serves. Factories do not count as live objects
// themselves; their locks do.

#include "platform/com/UnknownImpl.h"

#include <atomic>

namespace lumin {

using CreateInstanceFn = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv);

class ClassFactory final : public UnknownImpl<ClassFactory, IClassFactory> {
public:
    explicit ClassFactory(CreateInstanceFn create) : m_create(create) {}

    HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) override;
    HRESULT LockServer(BOOL fLock) override;

private:
    ~ClassFactory() override;

    CreateInstanceFn m_create;
    std::atomic<long> m_locks{0};
};

} // namespace lumin
