#include "platform/shell/ItemIdList.h"

#include "platform/com/TaskMemory.h"

#include <cstring>

namespace {
USHORT firstSize(LPCITEMIDLIST pidl)
{
    USHORT cb;
    std::memcpy(&cb, pidl, sizeof cb);
    return cb;
}

const BYTE* bytesOf(LPCITEMIDLIST pidl)
{
    return reinterpret_cast<const BYTE*>(pidl);
}

LPITEMIDLIST copyBytes(const BYTE* data, UINT itemBytes)
{
    auto* out = static_cast<BYTE*>(CoTaskMemAlloc(itemBytes + sizeof(USHORT)));
    if (!out)
        return nullptr;
    if (itemBytes)
        std::memcpy(out, data, itemBytes);
    std::memset(out + itemBytes, 0, sizeof(USHORT));
    return reinterpret_cast<LPITEMIDLIST>(out);
}
} // namespace

UINT ILGetSize(LPCITEMIDLIST pidl)
{
    if (!pidl)
        return 0;
    UINT total = 0;
    for (LPCITEMIDLIST p = pidl; firstSize(p) != 0; p = ILNext(p))
        total += firstSize(p);
    return total + sizeof(USHORT);
}

LPCITEMIDLIST ILNext(LPCITEMIDLIST pidl)
{
    if (!pidl || firstSize(pidl) == 0)
        return nullptr;
    return reinterpret_cast<LPCITEMIDLIST>(bytesOf(pidl) + firstSize(pidl));
}

bool ILIsEmpty(LPCITEMIDLIST pidl)
{
    return !pidl || firstSize(pidl) == 0;
}

LPCITEMIDLIST ILFindLastID(LPCITEMIDLIST pidl)
{
    if (ILIsEmpty(pidl))
        return pidl;
    LPCITEMIDLIST last = pidl;
    for (LPCITEMIDLIST p = ILNext(pidl); !ILIsEmpty(p); p = ILNext(p))
        last = p;
    return last;
}

LPITEMIDLIST ILClone(LPCITEMIDLIST pidl)
{
    if (!pidl)
        return nullptr;
    return copyBytes(bytesOf(pidl), ILGetSize(pidl) - sizeof(USHORT));
}

LPITEMIDLIST ILCloneFirst(LPCITEMIDLIST pidl)
{
    if (!pidl)
        return nullptr;
    return copyBytes(bytesOf(pidl), firstSize(pidl));
}

LPITEMIDLIST ILCombine(LPCITEMIDLIST first, LPCITEMIDLIST second)
{
    if (!first)
        return ILClone(second);
    if (!second)
        return ILClone(first);
    UINT a = ILGetSize(first) - sizeof(USHORT);
    UINT b = ILGetSize(second) - sizeof(USHORT);
    auto* out = static_cast<BYTE*>(CoTaskMemAlloc(a + b + sizeof(USHORT)));
    if (!out)
        return nullptr;
    std::memcpy(out, first, a);
    std::memcpy(out + a, second, b);
    std::memset(out + a + b, 0, sizeof(USHORT));
    return reinterpret_cast<LPITEMIDLIST>(out);
}

bool ILRemoveLastID(LPITEMIDLIST pidl)
{
    if (ILIsEmpty(pidl))
        return false;
    auto* last = const_cast<ITEMIDLIST*>(ILFindLastID(pidl));
    std::memset(last, 0, sizeof(USHORT));
    return true;
}

bool ILIsEqual(LPCITEMIDLIST a, LPCITEMIDLIST b)
{
    UINT size = ILGetSize(a);
    return size == ILGetSize(b) && (size == 0 || std::memcmp(a, b, size) == 0);
}

LPITEMIDLIST ILCreateFromBytes(const void* data, UINT size)
{
    if (size > 0xFFFF - sizeof(USHORT))
        return nullptr;
    auto* out = static_cast<BYTE*>(CoTaskMemAlloc(size + 2 * sizeof(USHORT)));
    if (!out)
        return nullptr;
    auto cb = static_cast<USHORT>(size + sizeof(USHORT));
    std::memcpy(out, &cb, sizeof cb);
    if (size)
        std::memcpy(out + sizeof cb, data, size);
    std::memset(out + sizeof cb + size, 0, sizeof(USHORT));
    return reinterpret_cast<LPITEMIDLIST>(out);
}

void ILFree(LPITEMIDLIST pidl)
{
    CoTaskMemFree(pidl);
}
