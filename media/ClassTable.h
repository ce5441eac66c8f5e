#pragma once
// The classes the media library serves, with what registration writes for each.

#include "platform/com/ClassTable.h"

namespace medrix {

const ClassTable& classTable();

} // namespace medrix
