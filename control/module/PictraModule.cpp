// The library's exported entry points. The control keeps no process-wide objects beyond its
// constant-initialised live count, so it needs no load or unload work.

#include "control/ClassTable.h"
#include "control/Registration.h"
#include "platform/com/ModuleEntryPoints.h"

ORVEL_MODULE_ENTRY_POINTS(pictra);
