#include "hosts/browser/JunctionId.h"

#include <cstring>

namespace browser {
namespace {
// The first byte tells the browser's items apart; neither starts a namespace's own item.
constexpr BYTE kMyComputerTag = 0x1F;
constexpr BYTE kJunctionTag = 0x2E;
constexpr BYTE kMyComputerBytes[] = {kMyComputerTag, 0x50, 0xE0, 0x4F, 0xD0, 0x20,
                                     0xEA,           0x3A, 0x69, 0x10, 0xA2, 0xD8,
                                     0x08,           0x00, 0x2B, 0x30, 0x30, 0x9D};
} // namespace

IdList myComputerList()
{
    return IdList(ILCreateFromBytes(kMyComputerBytes, sizeof kMyComputerBytes));
}

IdList junctionList(const CLSID& clsid)
{
    BYTE bytes[2 + sizeof(CLSID)] = {kJunctionTag, 0};
    std::memcpy(bytes + 2, &clsid, sizeof clsid);
    IdList junction(ILCreateFromBytes(bytes, sizeof bytes));
    IdList computer = myComputerList();
    return IdList(ILCombine(computer.get(), junction.get()));
}

bool junctionClass(LPCITEMIDLIST item, CLSID* clsid)
{
    if (ILIsEmpty(item))
        return false;
    const auto* bytes = reinterpret_cast<const BYTE*>(item);
    USHORT cb;
    std::memcpy(&cb, bytes, sizeof cb);
    if (cb != 2 + 2 + sizeof(CLSID) || bytes[2] != kJunctionTag)
        return false;
    std::memcpy(clsid, bytes + 4, sizeof *clsid);
    return true;
}

} // namespace browser
