#include "media/ModuleState.h"

namespace medrix {

namespace {
constinit LiveCount g_liveCount;
} // namespace

LiveCount& moduleLiveCount()
{
    return g_liveCount;
}

} // namespace medrix
