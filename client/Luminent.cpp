#include "client/Luminent.h"

#include "client/ModuleState.h"
#include "client/Resources.h"

namespace lumin {

Luminent::Luminent() : UnknownImpl(&moduleLiveCount())
{
    loadResourceLibrary();
}

Luminent::~Luminent()
{
    logLine(LogLifecycle, "FinalRelease");
}

} // namespace lumin
