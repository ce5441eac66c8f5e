// Luminent's ICamIdentifyTarget: identification by greeting, by stored model, by the user.
#include "client/Luminent.h"
#include "client/TargetIdentification.h"

namespace lumin {

HRESULT Luminent::IdentifyTarget(BSTR bstrHost, ICamTarget** ppTarget, BSTR* pbstrName,
                                 BSTR* pbstrVersion, UI4 dwTimeout)
{
    return identifyTarget(bstrHost, ppTarget, pbstrName, pbstrVersion, dwTimeout);
}

HRESULT Luminent::GetTarget(BSTR bstrName, BSTR bstrVersion, ICamTarget** ppTarget)
{
    return getTarget(bstrName, bstrVersion, ppTarget);
}

HRESULT Luminent::ChooseTarget(ICamTarget** ppTarget, BSTR* pbstrName, BSTR* pbstrVersion)
{
    return chooseTarget(ppTarget, pbstrName, pbstrVersion);
}

} // namespace lumin
