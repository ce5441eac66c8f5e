// The library's exported entry points. The media library keeps no process-wide objects beyond
// its constant-initialised live count, so it needs no load or unload work.

#include "media/ClassTable.h"
#include "media/Registration.h"
#include "platform/com/ModuleEntryPoints.h"

ORVEL_MODULE_ENTRY_POINTS(medrix);
