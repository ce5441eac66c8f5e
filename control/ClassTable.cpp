#include "control/ClassTable.h"

#include "common/PictraClasses.h"
#include "control/CamImage.h"
#include "control/ModuleState.h"
#include "platform/com/ClassTable.h"

namespace pictra {
namespace {

const ClassEntry kClasses[] = {
    {&CLSID_CamImage, "CamImage Class", "CamImage.CamImage.1", "CamImage.CamImage",
     &CamImage::create},
};

} // namespace

const ClassTable& classTable()
{
    static const ClassTable table{kClasses, &moduleLiveCount()};
    return table;
}

} // namespace pictra
