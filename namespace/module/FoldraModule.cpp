// Entry points of Foldra, the camera namespace. Its classes are not served by this build yet.
#include "platform/com/ModuleEntryPoints.h"

ORVEL_UNSERVED_MODULE_ENTRY_POINTS();
