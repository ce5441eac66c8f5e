// The recorder program. Registration works now; recording itself arrives with the engine.
#include "platform/base/CommandLine.h"
#include "recorder/engine/RecoraRegistration.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc >= 2 && isCommandSwitch(argv[1], "RegServer")) {
        HRESULT hr = registerRecora(currentProgramPath());
        if (FAILED(hr))
            std::fprintf(stderr, "Recora: registration failed (0x%08X)\n",
                         static_cast<unsigned>(hr));
        return FAILED(hr) ? 1 : 0;
    }
    if (argc >= 2 && isCommandSwitch(argv[1], "UnregServer"))
        return FAILED(unregisterRecora(currentProgramPath())) ? 1 : 0;
    std::fprintf(stderr, "Recora: recording is not available in this build yet\n");
    return 2;
}
