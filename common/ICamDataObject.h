#pragma once
// The data-object interface through which the camera client fills a media object with one
// received part: the part's header lines as properties, then its bytes. Every operation takes
// the object's recursive lock, so a writer on the client's request thread and readers on
// other threads see whole parts; a reader that needs one part across several calls holds
// Lock/Unlock around them.

#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"

inline constexpr IID IID_ICamDataObject = makeGuid("{9814A004-29D0-11D5-B0AC-009027BD8645}");

struct ICamDataObject : IUnknown {
    // Stores value under the lower-cased name, replacing an earlier pair of that name and
    // moving it to the end. A null value is stored as null. A null name stores under the empty
    // name. S_OK; E_OUTOFMEMORY.
    virtual HRESULT SetProperty(BSTR name, BSTR value) = 0;
    // *value (null or a valid BSTR) is reallocated to the stored value: S_OK. S_FALSE when the
    // name is not stored, *value untouched. E_POINTER for a null value pointer.
    virtual HRESULT GetProperty(BSTR name, BSTR* value) = 0;
    // A copy of the bytes in task memory the caller frees with CoTaskMemFree; with
    // bNullTerminate one zero byte is appended and counted. E_FAIL when there are no bytes,
    // E_OUTOFMEMORY, E_POINTER.
    virtual HRESULT GetData(BOOL bNullTerminate, DWORD* pcb, BYTE** ppb) = 0;
    // Replaces the bytes (copied). E_INVALIDARG for a null pointer or a count of 0, the bytes
    // unchanged; E_OUTOFMEMORY leaves the object without bytes.
    virtual HRESULT SetData(DWORD cb, BYTE* pb) = 0;
    // Recursive object lock. S_OK.
    virtual HRESULT Lock() = 0;
    virtual HRESULT Unlock() = 0;

protected:
    ~ICamDataObject() = default;
};
template <> inline constexpr IID iidOf<ICamDataObject> = IID_ICamDataObject;
