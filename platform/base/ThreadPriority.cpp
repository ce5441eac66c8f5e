#include "platform/base/ThreadPriority.h"

#include <sys/resource.h>
#include <unistd.h>

namespace orvel {

bool setCurrentThreadPriority(ThreadPriority priority)
{
    int nice = 0;
    switch (priority) {
    case ThreadPriority::Normal:
        nice = 0;
        break;
    case ThreadPriority::AboveNormal:
        nice = -1;
        break;
    case ThreadPriority::Highest:
        nice = -2;
        break;
    }
    // On Linux the nice value belongs to the thread named by its id.
    return ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), nice) == 0;
}

} // namespace orvel
