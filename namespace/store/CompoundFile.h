#pragma once
// The element tree of a compound file (MS-CFB) held in memory: storages holding streams and
// further storages. The tree is read from and written to bytes with libgsf; ObjectFile owns
// the file itself.

#include "platform/base/Hresult.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace foldra {

// The format's limit: 31 UTF-16 units plus the terminator in a 64-byte field.
inline constexpr unsigned kMaxElementNameUnits = 31;
// Bounds for a file from outside: nesting, element count, and bytes of one stream.
inline constexpr unsigned kMaxStorageDepth = 8;
inline constexpr unsigned kMaxElements = 10000;
inline constexpr std::size_t kMaxStreamBytes = 1 << 20;

enum class ElementType { Stream, Storage };

struct StorageElement {
    std::string name; // UTF-8
    ElementType type = ElementType::Storage;
    std::vector<std::uint8_t> bytes;      // a stream's content
    std::vector<StorageElement> children; // a storage's elements, in the file's order

    // The child of that name compared as the format compares names (case-insensitively);
    // null when there is none.
    StorageElement* find(std::string_view childName);
    const StorageElement* find(std::string_view childName) const;
    // Creates a child, failing with STG_E_FILEALREADYEXISTS when the name is taken and with
    // STG_E_INVALIDNAME when the format cannot hold it.
    HRESULT create(const std::string& childName, ElementType type, StorageElement** created);
    // STG_E_FILENOTFOUND when there is no such child.
    HRESULT destroy(std::string_view childName);
};

// S_OK or STG_E_INVALIDNAME: empty, 32 or more UTF-16 units, or one of the characters the
// format reserves ("/", "\", ":", "!").
HRESULT checkElementName(const std::string& name);
// Names equal for the format (upper-case comparison).
bool sameElementName(std::string_view a, std::string_view b);

// \retval S_OK
// \retval STG_E_INVALIDHEADER   not a compound file
// \retval STG_E_DOCFILECORRUPT  the tree is damaged or beyond the bounds above
HRESULT readCompoundFile(std::span<const std::uint8_t> bytes, StorageElement* root);
// \retval S_OK, STG_E_INVALIDNAME, STG_E_WRITEFAULT
HRESULT writeCompoundFile(const StorageElement& root, std::vector<std::uint8_t>* bytes);

} // namespace foldra
