#include "client/ClassTable.h"

#include "client/CamTarget100.h"
#include "client/CamTarget110.h"
#include "client/CamTarget200.h"
#include "client/CamTarget201.h"
#include "client/CamTarget210.h"
#include "client/CamTarget211.h"
#include "client/Luminent.h"
#include "client/ModuleState.h"
#include "common/LuminClasses.h"

namespace lumin {
namespace {

template <typename T> HRESULT create(IUnknown* outer, REFIID riid, void** ppv)
{
    return T::createInstance(outer, riid, ppv);
}

// In the order of the library's registration scripts.
const ClassEntry kClasses[] = {
    {&CLSID_Luminent, "Luminent Class", "Lumin.Luminent.1", "Lumin.Luminent", &create<Luminent>},
    {&CLSID_CamTarget210, "CamTarget210 Class", "Lumin.CamTarget210.1", "Lumin.CamTarget210",
     &create<CamTarget210>},
    {&CLSID_CamTarget201, "CamTarget201 Class", "Lumin.CamTarget201.1", "Lumin.CamTarget201",
     &create<CamTarget201>},
    {&CLSID_CamTarget200, "CamTarget200 Class", "Lumin.CamTarget200.1", "Lumin.CamTarget200",
     &create<CamTarget200>},
    {&CLSID_CamTarget110, "CamTarget110 Class", "Lumin.CamTarget110.1", "Lumin.CamTarget110",
     &create<CamTarget110>},
    {&CLSID_CamTarget100, "CamTarget100 Class", "Lumin.CamTarget100.1", "Lumin.CamTarget100",
     &create<CamTarget100>},
    {&CLSID_CamTarget211, "CamTarget211 Class", "Lumin.CamTarget211.1", "Lumin.CamTarget211",
     &create<CamTarget211>},
};

} // namespace

const ClassTable& classTable()
{
    static const ClassTable table{kClasses, &moduleLiveCount()};
    return table;
}

} // namespace lumin
