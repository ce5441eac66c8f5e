#include "namespace/folder/FolderModule.h"

#include "namespace/resources/FoldraStrings.h"
#include "platform/base/ModulePath.h"
#include "platform/http/ConnectionLimits.h"

#include <mutex>

namespace foldra {
namespace {

constinit LiveCount g_live;
std::mutex g_rootMutex;
LPITEMIDLIST g_root = nullptr; // guarded by g_rootMutex

} // namespace

LiveCount& moduleLiveCount()
{
    return g_live;
}

void moduleLoad()
{
    // Registered once for the process; the same numbers every later caller gets.
    RegisterClipboardFormatA(CFSTR_FILECONTENTS);
    RegisterClipboardFormatA(CFSTR_FILEDESCRIPTORA);
    RegisterClipboardFormatA(CFSTR_SHELLIDLIST);
    RegisterClipboardFormatA(CFSTR_SHELLIDLISTOFFSET);
    loadResourceLibrary(moduleFolder());
    // Up to four streams of one camera (a quad view) and its commands side by side.
    orvel::http::setMaxConnectionsPerServer(kFoldraConnectionsPerServer);
}

void moduleUnload()
{
    setRootIdList(nullptr);
    unloadResourceLibrary();
}

std::string moduleFolder()
{
    return moduleFolderOf(reinterpret_cast<const void*>(&moduleFolder));
}

LPCITEMIDLIST rootIdList()
{
    std::lock_guard lock(g_rootMutex);
    return g_root;
}

void setRootIdList(LPCITEMIDLIST absolute)
{
    std::lock_guard lock(g_rootMutex);
    ILFree(g_root);
    g_root = absolute ? ILClone(absolute) : nullptr;
}

CLIPFORMAT shellIdListFormat()
{
    return RegisterClipboardFormatA(CFSTR_SHELLIDLIST);
}

} // namespace foldra
