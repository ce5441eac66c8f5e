#pragma once
// The namespace's shell item identifier: exactly 76 bytes, little-endian.
//   0  u16 cb = 76 | 2 "CI1\0" | 6 u16 reserved | 8 i32 kind | 12 64 bytes of name
// The name is up to 32 UTF-16LE units, zero-padded; a name of 32 units has no terminator.

#include "namespace/store/ItemKind.h"
#include "platform/shell/ItemIdList.h"

#include <bit>
#include <string>

namespace foldra {

static_assert(std::endian::native == std::endian::little, "the identifier is little-endian");

inline constexpr unsigned kItemIdNameUnits = 32;

#pragma pack(push, 1)
struct CamItemId {
    std::uint16_t cb;
    char signature[4];
    std::uint16_t reserved;
    std::int32_t kind;
    char16_t name[kItemIdNameUnits];

    // Built with the name cut to 32 units.
    static CamItemId make(ItemKind kind, const std::u16string& name);
    static CamItemId make(ItemKind kind, const std::string& utf8Name);

    ItemKind itemKind() const { return static_cast<ItemKind>(kind); }
    std::u16string name16() const;
    std::string nameUtf8() const;
    // A single-item list (the identifier and the terminator) from the task allocator.
    LPITEMIDLIST toIdList() const;
};
#pragma pack(pop)
static_assert(sizeof(CamItemId) == 76);

// The first item of pidl when it is one of ours: cb at least 7 and "CI1\0" at offset 2; only
// then cb is trusted to cover the full identifier. Null otherwise.
const CamItemId* ownItemId(LPCITEMIDLIST pidl);

// name cut to the first 32 UTF-16 units (the most an identifier and an element name hold).
std::u16string cutToIdName(const std::u16string& name);

} // namespace foldra
