// The viewer program. Registration works now; the document and its views arrive later.
#include "platform/base/CommandLine.h"
#include "viewer/app/VistelRegistration.h"

#include <cstdio>

int main(int argc, char** argv)
{
    // "/regserver", "-regserver", "/unregserver", "-unregserver", and the runtime's "RegServer".
    if (argc >= 2 && isCommandSwitch(argv[1], "regserver")) {
        HRESULT hr = registerVistel(currentProgramPath());
        if (FAILED(hr))
            std::fprintf(stderr, "Vistel: registration failed (0x%08X)\n",
                         static_cast<unsigned>(hr));
        return FAILED(hr) ? 1 : 0;
    }
    if (argc >= 2 && isCommandSwitch(argv[1], "unregserver"))
        return FAILED(unregisterVistel(currentProgramPath())) ? 1 : 0;
    std::fprintf(stderr, "Vistel: the viewer window is not available in this build yet\n");
    return 2;
}
