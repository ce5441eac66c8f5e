#include "control/ModuleState.h"

namespace pictra {

namespace {
constinit LiveCount g_liveCount;
} // namespace

LiveCount& moduleLiveCount()
{
    return g_liveCount;
}

} // namespace pictra
