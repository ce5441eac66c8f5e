#include "media/ClassTable.h"

#include "common/MedrixClasses.h"
#include "media/CamImageObject.h"
#include "media/CamSoundObject.h"
#include "media/ModuleState.h"
#include "platform/com/ClassFactory.h"

namespace medrix {
namespace {

const ClassEntry kClasses[] = {
    {&CLSID_CamImageObject, "CamImageObject Class", "Medrix.CamImageObject.1",
     "Medrix.CamImageObject", &CamImageObject::create},
    {&CLSID_CamSoundObject, "CamSoundObject Class", "Medrix.CamSoundObject.1",
     "Medrix.CamSoundObject", &CamSoundObject::create},
};

} // namespace

std::span<const ClassEntry> classTable()
{
    return kClasses;
}

HRESULT getClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    for (const ClassEntry& entry : kClasses)
        if (IsEqualCLSID(*entry.clsid, rclsid))
            return ClassFactory::getClassObject(entry.create, &moduleLiveCount(), riid, ppv);
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT canUnloadNow()
{
    return moduleLiveCount().value() == 0 ? S_OK : S_FALSE;
}

} // namespace medrix
