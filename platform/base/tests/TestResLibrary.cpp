// A resource library for the tests: one string and one picture's bytes.
#include "platform/base/ResourceLibrary.h"

namespace {
constexpr char kGreeting[] = "Hallo";
constexpr char kPicture[] = "\x89PNG";
constexpr ResourceEntry kEntries[] = {
    {"STRING", 7, kGreeting, sizeof kGreeting - 1},
    {"BITMAP", 7, kPicture, sizeof kPicture - 1},
};
} // namespace

extern "C" __attribute__((visibility("default"))) const ResourceEntry*
TestResources(unsigned* count)
{
    *count = sizeof kEntries / sizeof kEntries[0];
    return kEntries;
}
