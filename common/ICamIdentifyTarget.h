#pragma once
// Finds the target class for a camera: from its FTP greeting, from a stored model name and
// version, or from the user's choice. *ppTarget is null at entry and holds a new reference on
// success; name and version are replaced with SysReAllocString, only on success.

#include "common/ICamTarget.h"

inline constexpr IID IID_ICamIdentifyTarget = makeGuid("{A5FEA784-1DF3-11D5-B0AB-009027BD8645}");

struct ICamIdentifyTarget : IUnknown {
    // Reads the greeting on port 21 of bstrHost (a ":port" is ignored) within dwTimeout ms.
    // \retval S_OK, S_FALSE (answered, no pattern matched), E_INVALIDARG (null host or
    //         ppTarget), E_FAIL, or the error of creating the target
    virtual HRESULT IdentifyTarget(BSTR bstrHost, ICamTarget** ppTarget, BSTR* pbstrName,
                                   BSTR* pbstrVersion, UI4 dwTimeout) = 0;
    // Looks the model up in the registry model table (unknown: the default target).
    // \retval S_OK, E_INVALIDARG (null ppTarget), E_FAIL, or the error of creating the target
    virtual HRESULT GetTarget(BSTR bstrName, BSTR bstrVersion, ICamTarget** ppTarget) = 0;
    // Lets the user pick model and version in a modal dialog on the calling thread.
    // \retval S_OK, E_INVALIDARG (null ppTarget), E_FAIL (cancelled)
    virtual HRESULT ChooseTarget(ICamTarget** ppTarget, BSTR* pbstrName, BSTR* pbstrVersion) = 0;

protected:
    ~ICamIdentifyTarget() = default;
};
template <> inline constexpr IID iidOf<ICamIdentifyTarget> = IID_ICamIdentifyTarget;
