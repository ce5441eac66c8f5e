#include "platform/base/CommandLine.h"

#include <strings.h>
#include <unistd.h>

bool isCommandSwitch(const char* arg, const char* name)
{
    if (!arg || !name)
        return false;
    if (*arg == '/' || *arg == '-')
        ++arg;
    return strcasecmp(arg, name) == 0;
}

std::string currentProgramPath()
{
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return {};
    return std::string(buf, static_cast<std::size_t>(n));
}
