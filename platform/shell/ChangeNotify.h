#pragma once
// Shell change notifications: a component announces that an item was created, removed,
// renamed or updated; browsers listening refresh their trees and views. Listeners are called
// from the event loop of the process (synchronously when there is none), with lists that are
// valid during the call only.

#include "platform/shell/ItemIdList.h"

#include <functional>

inline constexpr LONG SHCNE_RENAMEITEM = 0x1;
inline constexpr LONG SHCNE_CREATE = 0x2;
inline constexpr LONG SHCNE_DELETE = 0x4;
inline constexpr LONG SHCNE_MKDIR = 0x8;
inline constexpr LONG SHCNE_RMDIR = 0x10;
inline constexpr LONG SHCNE_UPDATEDIR = 0x1000;
inline constexpr LONG SHCNE_UPDATEITEM = 0x2000;
inline constexpr LONG SHCNE_RENAMEFOLDER = 0x20000;
inline constexpr UINT SHCNF_IDLIST = 0x0;

// item1 and item2 are absolute lists (SHCNF_IDLIST); either may be null.
void SHChangeNotify(LONG wEventId, UINT uFlags, const void* dwItem1, const void* dwItem2);

using ChangeListener = std::function<void(LONG event, LPCITEMIDLIST item1, LPCITEMIDLIST item2)>;
// Returns a cookie for unregisterChangeListener.
ULONG registerChangeListener(ChangeListener listener);
void unregisterChangeListener(ULONG cookie);
