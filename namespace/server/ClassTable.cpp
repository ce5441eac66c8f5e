#include "namespace/server/ClassTable.h"

#include "common/FoldraClasses.h"
#include "namespace/folder/CamFolder.h"
#include "namespace/folder/FolderModule.h"
#include "platform/com/ClassTable.h"

namespace foldra {
namespace {
HRESULT createFolder(IUnknown* outer, REFIID riid, void** ppv)
{
    return CamFolder::createInstance(outer, riid, ppv);
}

// Registration writes the folder's own keys (no ProgID).
const ClassEntry kClasses[] = {{&CLSID_CamFolder, "CamFolder", nullptr, nullptr, &createFolder}};

} // namespace

const ClassTable& classTable()
{
    static const ClassTable table{kClasses, &moduleLiveCount()};
    return table;
}

} // namespace foldra
