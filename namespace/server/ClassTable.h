#pragma once
// The one class the module serves, CamFolder, and the answers of its entry points.

#include "platform/com/ClassTable.h"

namespace foldra {

const ClassTable& classTable();

} // namespace foldra
