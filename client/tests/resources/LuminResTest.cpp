// A resource library as a translation would ship it: it overrides some strings and the banner
// patterns and leaves the rest to the client library's own copies.

#include "platform/base/ResourceLibrary.h"

namespace {

constexpr char kOther[] = "Andere";
constexpr char kConnecting[] = "Verbinde";
constexpr char kPatterns[] = "%* TESTCAM %n release %v\r\n\r\n%* %n-%* Network Camera %v\r\n";

const ResourceEntry kEntries[] = {
    {"STRING", 1000, kOther, sizeof kOther - 1},
    {"STRING", 21780, kConnecting, sizeof kConnecting - 1},
    {"ID_PATTERNS", 203, kPatterns, sizeof kPatterns - 1},
};

} // namespace

extern "C" __attribute__((visibility("default"))) const ResourceEntry*
LuminResources(unsigned* count)
{
    *count = sizeof kEntries / sizeof kEntries[0];
    return kEntries;
}
