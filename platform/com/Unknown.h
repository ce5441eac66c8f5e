#pragma once
// IUnknown and IClassFactory with the Windows slot order. Interfaces have no virtual
// destructor: it would take a vtable slot. Objects delete themselves in Release.

#include "platform/com/Guid.h"

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

struct IClassFactory : IUnknown {
    virtual HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) = 0;
    virtual HRESULT LockServer(BOOL fLock) = 0;

protected:
    ~IClassFactory() = default;
};

constexpr IID IID_IUnknown = makeGuid("{00000000-0000-0000-C000-000000000046}");
constexpr IID IID_IClassFactory = makeGuid("{00000001-0000-0000-C000-000000000046}");

// The interface id of an interface type, declared beside each interface:
//   template <> inline constexpr IID iidOf<ICamTarget> = IID_ICamTarget;
template <typename T> inline constexpr IID iidOf = GUID_NULL;
template <> inline constexpr IID iidOf<IUnknown> = IID_IUnknown;
template <> inline constexpr IID iidOf<IClassFactory> = IID_IClassFactory;

#define IID_PPV_ARGS(pp)                                                                           \
    iidOf<std::remove_pointer_t<std::remove_reference_t<decltype(*(pp))>>>,                        \
        reinterpret_cast<void**>(pp)
