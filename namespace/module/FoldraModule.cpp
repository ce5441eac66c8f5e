// The load and unload points and the exported entry points of Foldra, the camera namespace.

#include "namespace/folder/FolderModule.h"
#include "namespace/server/ClassTable.h"
#include "namespace/server/Registration.h"
#include "platform/com/ModuleEntryPoints.h"

namespace {

// The loader serialises these, as it does process attach and detach.
[[gnu::constructor]] void onLoad()
{
    foldra::moduleLoad();
}

[[gnu::destructor]] void onUnload()
{
    foldra::moduleUnload();
}

} // namespace

ORVEL_MODULE_ENTRY_POINTS(foldra);
