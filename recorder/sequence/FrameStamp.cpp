#include "recorder/sequence/FrameStamp.h"

#include <cstdio>
#include <ctime>
#include <sys/stat.h>

FrameStamp FrameStamp::fromLocalTime(std::chrono::system_clock::time_point when)
{
    using namespace std::chrono;
    const auto sinceEpoch = when.time_since_epoch();
    auto secs = duration_cast<seconds>(sinceEpoch);
    auto millis = duration_cast<milliseconds>(sinceEpoch - secs).count();
    if (millis < 0) { // before 1970: keep the milliseconds within the second
        millis += 1000;
        secs -= seconds(1);
    }
    const std::time_t t = static_cast<std::time_t>(secs.count());
    std::tm local{};
    localtime_r(&t, &local);
    FrameStamp stamp;
    stamp.year = local.tm_year + 1900;
    stamp.month = local.tm_mon + 1;
    stamp.day = local.tm_mday;
    stamp.hour = local.tm_hour;
    stamp.minute = local.tm_min;
    stamp.second = local.tm_sec;
    stamp.centisecond = static_cast<int>(millis / 10);
    return stamp;
}

std::string FrameStamp::text() const
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "_%d%02d%02d_%02d%02d%02d_%02d", year, month, day, hour,
                  minute, second, centisecond);
    return buffer;
}

std::string frameFileName(std::string_view prefix, const FrameStamp& stamp)
{
    return std::string(prefix) + stamp.text() + ".jpg";
}

namespace {

bool entryExists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

} // namespace

std::string uniqueFrameFileName(const std::string& directory, std::string_view prefix,
                                const FrameStamp& stamp)
{
    const std::string plain = frameFileName(prefix, stamp);
    if (!entryExists(directory + plain))
        return plain;
    const std::string stem = std::string(prefix) + stamp.text() + "_";
    for (unsigned n = 2; n <= kMaxFrameNameRepeats; ++n) {
        std::string name = stem + std::to_string(n) + ".jpg";
        if (!entryExists(directory + name))
            return name;
    }
    return plain;
}

std::string sequenceFileName(std::string_view prefix, const FrameStamp& stamp)
{
    return std::string(prefix) + stamp.text() + ".sqj";
}
