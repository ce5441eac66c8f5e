// A resource library for the tests: the template title and the tool tip of Play translated.
#include "platform/base/ResourceLibrary.h"

namespace {
constexpr char kTemplate[] = "Folgenbetrachter\n\nVistel\n\n\nVistel.Document\nVistel Document";
constexpr char kPlay[] = "Abspielen\nAbspielen";
constexpr ResourceEntry kEntries[] = {
    {"STRING", 128, kTemplate, sizeof kTemplate - 1},
    {"STRING", 32771, kPlay, sizeof kPlay - 1},
};
} // namespace

extern "C" __attribute__((visibility("default"))) const ResourceEntry*
VistelResources(unsigned* count)
{
    *count = sizeof kEntries / sizeof kEntries[0];
    return kEntries;
}
