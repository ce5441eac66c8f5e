#include "platform/base/MallocArenas.h"

#include <cstdlib>
#include <malloc.h>

namespace orvel {

bool boundMallocArenas()
{
    if (std::getenv("MALLOC_ARENA_MAX") || std::getenv("GLIBC_TUNABLES"))
        return true;
    return ::mallopt(M_ARENA_MAX, kMallocArenas) == 1;
}

} // namespace orvel
