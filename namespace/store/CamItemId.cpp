#include "namespace/store/CamItemId.h"

#include "platform/base/Utf.h"

#include <algorithm>
#include <cstring>

namespace foldra {

CamItemId CamItemId::make(ItemKind kind, const std::u16string& name)
{
    CamItemId id{};
    id.cb = sizeof(CamItemId);
    std::memcpy(id.signature, "CI1", 4);
    id.kind = kindValue(kind);
    std::u16string cut = cutToIdName(name);
    std::copy(cut.begin(), cut.end(), id.name);
    return id;
}

CamItemId CamItemId::make(ItemKind kind, const std::string& utf8Name)
{
    return make(kind, utf8ToUtf16(utf8Name));
}

std::u16string CamItemId::name16() const
{
    std::size_t n = 0;
    while (n < kItemIdNameUnits && name[n] != 0)
        ++n;
    return std::u16string(name, n);
}

std::string CamItemId::nameUtf8() const
{
    return utf16ToUtf8(name16());
}

LPITEMIDLIST CamItemId::toIdList() const
{
    return ILCreateFromBytes(reinterpret_cast<const BYTE*>(this) + sizeof cb,
                             sizeof(CamItemId) - sizeof cb);
}

const CamItemId* ownItemId(LPCITEMIDLIST pidl)
{
    if (ILIsEmpty(pidl))
        return nullptr;
    const auto* bytes = reinterpret_cast<const BYTE*>(pidl);
    std::uint16_t cb;
    std::memcpy(&cb, bytes, sizeof cb);
    // A shorter item with the signature would make every field read past its end.
    if (cb < sizeof(CamItemId) || std::memcmp(bytes + 2, "CI1", 4) != 0)
        return nullptr;
    return reinterpret_cast<const CamItemId*>(pidl);
}

std::u16string cutToIdName(const std::u16string& name)
{
    if (name.size() <= kItemIdNameUnits)
        return name;
    return name.substr(0, kItemIdNameUnits);
}

} // namespace foldra
