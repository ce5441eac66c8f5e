// Entry points of Pictra, the live image control. Its classes are not served by this build yet.
#include "platform/com/ModuleEntryPoints.h"

ORVEL_UNSERVED_MODULE_ENTRY_POINTS();
