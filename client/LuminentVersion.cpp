#include "client/Luminent.h"
#include "client/ModuleState.h"
#include "client/VersionRecord.h"

namespace lumin {

HRESULT Luminent::GetVersion(UI4* pdwMajor, UI4* pdwMinor, UI4* pdwBuild)
{
    logLine(LogCall, "GetVersion");
    if (!pdwMajor || !pdwMinor || !pdwBuild)
        return E_POINTER;
    *pdwMajor = *pdwMinor = *pdwBuild = 0;
    return readFileVersion(modulePath(), pdwMajor, pdwMinor, pdwBuild);
}

} // namespace lumin
