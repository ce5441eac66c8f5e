#pragma once
// The path of an item or folder: the names of the own identifiers of an absolute list, joined
// by a backslash (not a file-system path). The root has the empty path; an add-item has
// "B70B3711\<name>".

#include "namespace/store/CamItemId.h"

#include <string>
#include <vector>

namespace foldra {

inline constexpr char kItemPathSeparator = '\\';

// UTF-8; identifiers of other namespaces contribute nothing.
std::string itemPathOf(LPCITEMIDLIST absolute);
// The path extended by one more element (no separator before the first).
std::string joinItemPath(const std::string& path, const std::string& name);
std::vector<std::string> splitItemPath(const std::string& path);

// The last own identifier of the list, found by scanning all of them; null unless the list's
// final identifier is own.
const CamItemId* lastOwnItemId(LPCITEMIDLIST absolute);

} // namespace foldra
