#pragma once
// The persistence interfaces with the Windows identifiers and slot order: an object saves its
// state into a property bag, a stream or a storage its container gives it.

#include "platform/com/PropertyBag.h"
#include "platform/com/Storage.h"

struct IPersist : IUnknown {
    virtual HRESULT GetClassID(CLSID* pClassID) = 0;

protected:
    ~IPersist() = default;
};

struct IPersistStreamInit : IPersist {
    // S_OK when changed since the last save with fClearDirty, else S_FALSE.
    virtual HRESULT IsDirty() = 0;
    // E_FAIL (and the properties untouched) for a stream that is not one of this object's.
    virtual HRESULT Load(IStream* pStm) = 0;
    virtual HRESULT Save(IStream* pStm, BOOL fClearDirty) = 0;
    // pCbSize: a ULARGE_INTEGER, the most bytes Save would write.
    virtual HRESULT GetSizeMax(ULONGLONG* pCbSize) = 0;
    virtual HRESULT InitNew() = 0;

protected:
    ~IPersistStreamInit() = default;
};

struct IPersistPropertyBag : IPersist {
    virtual HRESULT InitNew() = 0;
    // Values missing from the bag keep their defaults.
    virtual HRESULT Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog) = 0;
    virtual HRESULT Save(IPropertyBag* pPropBag, BOOL fClearDirty, BOOL fSaveAllProperties) = 0;

protected:
    ~IPersistPropertyBag() = default;
};

struct IPersistStorage : IPersist {
    virtual HRESULT IsDirty() = 0;
    virtual HRESULT InitNew(IStorage* pStg) = 0;
    virtual HRESULT Load(IStorage* pStg) = 0;
    virtual HRESULT Save(IStorage* pStgSave, BOOL fSameAsLoad) = 0;
    virtual HRESULT SaveCompleted(IStorage* pStgNew) = 0;
    virtual HRESULT HandsOffStorage() = 0;

protected:
    ~IPersistStorage() = default;
};

constexpr IID IID_IPersist = makeGuid("{0000010C-0000-0000-C000-000000000046}");
constexpr IID IID_IPersistStreamInit = makeGuid("{7FD52380-4E07-101B-AE2D-08002B2EC713}");
constexpr IID IID_IPersistPropertyBag = makeGuid("{37D84F60-42CB-11CE-8135-00AA004BB851}");
constexpr IID IID_IPersistStorage = makeGuid("{0000010A-0000-0000-C000-000000000046}");
template <> inline constexpr IID iidOf<IPersist> = IID_IPersist;
template <> inline constexpr IID iidOf<IPersistStreamInit> = IID_IPersistStreamInit;
template <> inline constexpr IID iidOf<IPersistPropertyBag> = IID_IPersistPropertyBag;
template <> inline constexpr IID iidOf<IPersistStorage> = IID_IPersistStorage;
template <> struct InterfaceParent<IPersistStreamInit> {
    using type = IPersist;
};
template <> struct InterfaceParent<IPersistPropertyBag> {
    using type = IPersist;
};
template <> struct InterfaceParent<IPersistStorage> {
    using type = IPersist;
};
