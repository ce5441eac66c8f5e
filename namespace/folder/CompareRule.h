#pragma once
// The order of the folder's items: the Add folder first, then albums, then everything else by
// name; names equal but for letter case compare equal whatever their kinds.

#include "namespace/store/CamItemId.h"

namespace foldra {

// -1, 0 or +1.
int compareItems(const CamItemId& a, const CamItemId& b);

} // namespace foldra
