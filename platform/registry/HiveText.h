#pragma once
// The text form of a hive, in the style of a registry export, so that a person can read and
// mend it:
//
//   [HKEY_CURRENT_USER\Software\Orvel Works\Foldra\Settings]
//   @="default value"
//   "LastSaveDir"="/home/me/Pictures"
//   "RecordSpeed"=dword:0000000a
//   "Blob"=hex:01,ff
//   "Other"=hex(2):41,42
//
// Every key has a section (empty keys too), parents before children, siblings in creation
// order. In strings and value names \\, \", \n and \r are escaped; the text is UTF-8. Lines
// starting with ';' and blank lines are ignored; CR LF line ends are accepted.

#include "platform/registry/RegistryTree.h"

#include <string>
#include <string_view>

struct HiveParseError {
    int line = 0;
    std::string reason;
};

// Fills root (named after the hive) from text. On failure root is left partly filled and
// error names the first bad line.
bool parseHive(std::string_view text, RegKey& root, HiveParseError& error);
std::string formatHive(const RegKey& root);
