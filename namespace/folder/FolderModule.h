#pragma once
// The process-wide state of the namespace module: its live objects, the root folder's
// absolute list (for announcing new items), the registered clipboard formats. Made at the
// module's load point and released at its unload point.

#include "platform/com/LiveCount.h"
#include "platform/shell/DataObject.h"
#include "platform/shell/ItemIdList.h"

#include <string>

namespace foldra {

// The per-server connection limit the module sets for the process when it loads.
inline constexpr unsigned kFoldraConnectionsPerServer = 6;

LiveCount& moduleLiveCount();
void moduleLoad();
void moduleUnload();

// The folder the module was loaded from (help.htm and FoldraRes.so live there).
std::string moduleFolder();

// The namespace root's absolute list as last initialised; null before.
LPCITEMIDLIST rootIdList();
void setRootIdList(LPCITEMIDLIST absolute);

CLIPFORMAT shellIdListFormat();
// This platform's shell takes item-list drags ("Shell IDList Array").
inline constexpr bool kModernShell = true;

} // namespace foldra
