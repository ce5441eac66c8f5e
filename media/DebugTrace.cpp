#include "media/DebugTrace.h"

#include <cstdio>
#include <cstdlib>

namespace medrix {

void debugTrace(const char* message)
{
    if (std::getenv("ORVEL_DEBUG_TRACE"))
        std::fputs(message, stderr);
}

} // namespace medrix
