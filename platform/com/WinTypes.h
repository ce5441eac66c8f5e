#pragma once
// Moved to platform/base/WinTypes.h, the bottom layer (add to it there); kept so code written
// before the move builds.
#include "platform/base/WinTypes.h"
