#include "namespace/server/ClassTable.h"

#include "common/FoldraClasses.h"
#include "namespace/folder/CamFolder.h"
#include "namespace/folder/FolderModule.h"
#include "platform/com/ClassFactory.h"

namespace foldra {
namespace {
HRESULT createFolder(IUnknown* outer, REFIID riid, void** ppv)
{
    return CamFolder::createInstance(outer, riid, ppv);
}
} // namespace

HRESULT getClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(rclsid, CLSID_CamFolder))
        return CLASS_E_CLASSNOTAVAILABLE;
    return ClassFactory::getClassObject(&createFolder, &moduleLiveCount(), riid, ppv);
}

HRESULT canUnloadNow()
{
    return moduleLiveCount().value() == 0 ? S_OK : S_FALSE;
}

} // namespace foldra
