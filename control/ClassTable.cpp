#include "control/ClassTable.h"

#include "common/PictraClasses.h"
#include "control/CamImage.h"
#include "control/ModuleState.h"
#include "platform/com/ClassFactory.h"

namespace pictra {

HRESULT getClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (IsEqualCLSID(rclsid, CLSID_CamImage))
        return ClassFactory::getClassObject(&CamImage::create, &moduleLiveCount(), riid, ppv);
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT canUnloadNow()
{
    return moduleLiveCount().value() == 0 ? S_OK : S_FALSE;
}

} // namespace pictra
