#pragma once
// Shell item identifier lists: a sequence of items, each led by its 2-byte size, ended by a
// 2-byte zero. Lists handed across interfaces are allocated with the task allocator (the
// shell allocator) and freed by the receiver with ILFree / CoTaskMemFree.

#include "platform/base/WinTypes.h"

#include <memory>

#pragma pack(push, 1)
struct SHITEMID {
    USHORT cb; // of the whole item, these two bytes included
    BYTE abID[1];
};
struct ITEMIDLIST {
    SHITEMID mkid;
};
#pragma pack(pop)

using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;
using PIDLIST_ABSOLUTE = LPITEMIDLIST;
using PCUIDLIST_ABSOLUTE = LPCITEMIDLIST;
using PITEMID_CHILD = LPITEMIDLIST;
using PCUITEMID_CHILD = LPCITEMIDLIST;
using PCUITEMID_CHILD_ARRAY = const LPCITEMIDLIST*;

// Bytes of the list including its terminator; 0 for null.
UINT ILGetSize(LPCITEMIDLIST pidl);
// The item after the first one; null at the terminator or for null.
LPCITEMIDLIST ILNext(LPCITEMIDLIST pidl);
bool ILIsEmpty(LPCITEMIDLIST pidl);
// The last item of a non-empty list (the list itself when it has one item).
LPCITEMIDLIST ILFindLastID(LPCITEMIDLIST pidl);
// Copies, allocated with the task allocator; null when out of memory or for null.
LPITEMIDLIST ILClone(LPCITEMIDLIST pidl);
LPITEMIDLIST ILCloneFirst(LPCITEMIDLIST pidl);
LPITEMIDLIST ILCombine(LPCITEMIDLIST first, LPCITEMIDLIST second);
// Drops the last item in place; false when the list was already empty.
bool ILRemoveLastID(LPITEMIDLIST pidl);
bool ILIsEqual(LPCITEMIDLIST a, LPCITEMIDLIST b);
// A list of one item whose bytes (after cb) are data; null when out of memory or too big.
LPITEMIDLIST ILCreateFromBytes(const void* data, UINT size);
void ILFree(LPITEMIDLIST pidl);

struct IdListDeleter {
    void operator()(ITEMIDLIST* pidl) const { ILFree(pidl); }
};
// Owns one list.
using IdList = std::unique_ptr<ITEMIDLIST, IdListDeleter>;
