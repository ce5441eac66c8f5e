#include "platform/base/ThreadAffinity.h"

#include <sched.h>
#include <sys/types.h>

namespace orvel {

int currentProcessor()
{
    return ::sched_getcpu();
}

bool keepThreadOnProcessor(DWORD threadId, int processor)
{
    if (processor < 0 || processor >= CPU_SETSIZE || threadId == 0)
        return false;
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(processor, &set);
    return ::sched_setaffinity(static_cast<pid_t>(threadId), sizeof set, &set) == 0;
}

bool letThreadRunAnywhere(DWORD threadId)
{
    if (threadId == 0)
        return false;
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) != 0)
        return false;
    return ::sched_setaffinity(static_cast<pid_t>(threadId), sizeof set, &set) == 0;
}

} // namespace orvel
