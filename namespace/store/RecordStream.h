#pragma once
// The stream encoding of an item record, little-endian:
//   u32 version (6) | i32 kind | name | address | camera | resolution | model | firmware |
//   u32 member count | members | u32 display time | user | password
// A string is a u32 byte count n and n bytes of UTF-16LE text including its 2-byte zero;
// n = 0 is the empty string. Versions 1-6 are read (see decodeRecord); readers ignore bytes
// after the last field of their version, so a record rewritten shorter reads correctly.

#include "namespace/store/ItemRecord.h"
#include "platform/base/Hresult.h"

#include <cstdint>
#include <span>
#include <vector>

namespace foldra {

inline constexpr std::uint32_t kRecordVersion = 6;

std::vector<std::uint8_t> encodeRecord(const ItemRecord& record, ItemKind kind);

// Reads the fields of the stream's version into record (fields of later versions keep what
// record holds) and the kind into kind.
// \retval S_OK
// \retval E_FAIL  the stream ends inside a field, or a field is malformed (fields read before
//                 keep their values)
HRESULT decodeRecord(std::span<const std::uint8_t> bytes, ItemRecord* record, ItemKind* kind);

// Version 2 stored the camera's target class; the (model, firmware) pair it stands for, or
// false when the text does not parse or names no class of the table.
bool legacyTargetIdentity(const std::string& classIdText, std::string* model,
                          std::string* firmware);

} // namespace foldra
