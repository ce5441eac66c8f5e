#pragma once
// The library's version record: the Linux stand-in for a version resource. The library embeds
// it in an ELF section of its own file; readers take it from the file, not from memory, so a
// file on disk reports its own version.
//
// Layout: the magic "ORVELVER", then "key\0value\0" pairs, ended by an empty key. Keys are the
// version resource's query paths ("\VarFileInfo\Translation",
// "\StringFileInfo\040904B0\FileVersion", ...).

#include "platform/base/Hresult.h"

#include <optional>
#include <string>
#include <string_view>

namespace lumin {

inline constexpr const char* kVersionSection = "orvel_version";
inline constexpr std::string_view kVersionMagic{"ORVELVER", 8};

// The raw contents of the version section of an ELF file; nullopt if it has none.
std::optional<std::string> readVersionSection(const std::string& path);
// The value of one key of a record; nullopt when absent.
std::optional<std::string> versionValue(std::string_view record, std::string_view key);
// The first three numbers of the file version, as the version resource query finds them.
// \retval S_OK, E_FAIL
HRESULT readFileVersion(const std::string& path, UI4* major, UI4* minor, UI4* build);

} // namespace lumin
