#include "media/ClassTable.h"

#include "common/MedrixClasses.h"
#include "media/CamImageObject.h"
#include "media/CamSoundObject.h"
#include "media/ModuleState.h"

namespace medrix {
namespace {

const ClassEntry kClasses[] = {
    {&CLSID_CamImageObject, "CamImageObject Class", "Medrix.CamImageObject.1",
     "Medrix.CamImageObject", &CamImageObject::create},
    {&CLSID_CamSoundObject, "CamSoundObject Class", "Medrix.CamSoundObject.1",
     "Medrix.CamSoundObject", &CamSoundObject::create},
};

} // namespace

const ClassTable& classTable()
{
    static const ClassTable table{kClasses, &moduleLiveCount()};
    return table;
}

} // namespace medrix
