#pragma once
// The classes the library serves: id, names, and how to create one. Registration writes them,
// DllGetClassObject hands out their factories.

#include "platform/com/ClassTable.h"

namespace lumin {

const ClassTable& classTable();

} // namespace lumin
