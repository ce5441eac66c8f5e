#pragma once
// The one class the control library serves, CamImage.

#include "platform/com/ClassTable.h"

namespace pictra {

const ClassTable& classTable();

} // namespace pictra
