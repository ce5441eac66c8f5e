#include "client/ErrorText.h"
#include "client/LogViewer.h"
#include "client/Luminent.h"
#include "client/ModuleState.h"

namespace lumin {

HRESULT Luminent::GetDescription(HRESULT hresError, BSTR* pbstrDescription)
{
    if (!pbstrDescription)
        return E_INVALIDARG;
    std::string text;
    if (FAILED(errorText(hresError, &text)))
        return E_FAIL;
    return bstrAssignUtf8(pbstrDescription, text) ? S_OK : E_OUTOFMEMORY;
}

HRESULT Luminent::EnableLog(UI4 dwLevelMask)
{
    ModuleObjects* objects = moduleObjects();
    return objects ? objects->log.enable(dwLevelMask) : E_FAIL;
}

HRESULT Luminent::DisableLog()
{
    if (ModuleObjects* objects = moduleObjects())
        objects->log.disable();
    return S_OK;
}

HRESULT Luminent::OpenLog()
{
    ModuleObjects* objects = moduleObjects();
    return openWithDefaultApplication(objects ? objects->log.fileName() : std::string());
}

HRESULT Luminent::EraseLog()
{
    if (ModuleObjects* objects = moduleObjects())
        objects->log.erase();
    return S_OK;
}

} // namespace lumin
