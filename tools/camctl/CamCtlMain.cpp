// camctl SUBCOMMAND ARGS...: the table of subcommands and the process set-up they share.
#include "platform/com/Runtime.h"
#include "tools/camctl/CamCtlCommand.h"

#include <cstdio>
#include <cstring>

namespace {

const CamCtlCommand kCommands[] = {
    {"identify", "HOST [--timeout MS]", runIdentify},
    {"stream", "URL [--frames N] [--seconds S] [--user U --password P] [--insecure]", runStream},
    {"snapshot", "URL FILE [--seconds S] [--user U --password P] [--insecure]", runSnapshot},
    {"get", "URL [--timeout MS] [--user U --password P] [--insecure]", runGet},
    {"post", "URL FILE [--timeout MS] [--user U --password P] [--insecure]", runPost},
    {"record", "URL DIR [--prefix P] [--interval MS] [--duration S] [--max-size BYTES]", runRecord},
    {"avi", "SEQUENCE OUT [--codec FOURCC] [--list-codecs]", runAvi},
};

void printUsage(std::FILE* out)
{
    std::fprintf(out, "usage:\n");
    for (const CamCtlCommand& command : kCommands)
        std::fprintf(out, "  camctl %s %s\n", command.name, command.usage);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        printUsage(argc < 2 ? stderr : stdout);
        return argc < 2 ? kExitUsage : kExitOk;
    }
    for (const CamCtlCommand& command : kCommands) {
        if (std::strcmp(argv[1], command.name) != 0)
            continue;
        CoInitialize(nullptr);
        const int code = command.run(std::vector<std::string>(argv + 2, argv + argc));
        CoUninitialize();
        return code;
    }
    std::fprintf(stderr, "camctl: unknown command \"%s\"\n", argv[1]);
    printUsage(stderr);
    return kExitUsage;
}
