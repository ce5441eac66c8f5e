#pragma once
// The three ways ICamIdentifyTarget finds a camera's target, as Luminent exposes them. All end
// alike: the model table gives a class id, the target is created by class id and initialised
// with the model name. Contracts and results as declared in common/ICamIdentifyTarget.h.

#include "common/ICamIdentifyTarget.h"

#include <string>

namespace lumin {

HRESULT identifyTarget(BSTR bstrHost, ICamTarget** ppTarget, BSTR* pbstrName, BSTR* pbstrVersion,
                       UI4 dwTimeout);
HRESULT getTarget(BSTR bstrName, BSTR bstrVersion, ICamTarget** ppTarget);
// Defined with the dialog (TargetChooser.cpp).
HRESULT chooseTarget(ICamTarget** ppTarget, BSTR* pbstrName, BSTR* pbstrVersion);

// Creates the target in-process by class id and calls Init with the name. A creation failure
// is logged with its description; an Init failure releases the target and is returned.
HRESULT createTarget(const CLSID& clsid, BSTR bstrName, ICamTarget** ppTarget);
// Writes name and version with SysReAllocString (either pointer may be null). E_OUTOFMEMORY.
HRESULT returnNameAndVersion(const std::string& name, const std::string& version, BSTR* pbstrName,
                             BSTR* pbstrVersion);

} // namespace lumin
