// A resource library for the tests: a translation of two strings, nothing else.
#include "platform/base/ResourceLibrary.h"

namespace {
constexpr char kRecording[] = "Rokuga-chuu";
constexpr char kFailed[] = "Shippai";
constexpr ResourceEntry kEntries[] = {
    {"STRING", 1000, kRecording, sizeof kRecording - 1},
    {"STRING", 1101, kFailed, sizeof kFailed - 1},
};
} // namespace

extern "C" __attribute__((visibility("default"))) const ResourceEntry*
RecoraResources(unsigned* count)
{
    *count = sizeof kEntries / sizeof kEntries[0];
    return kEntries;
}
