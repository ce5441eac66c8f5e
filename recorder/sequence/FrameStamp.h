#pragma once
// The names of recorded frames and sequences: prefix + "_YYYYMMDD_HHMMSS_CC" + extension, from
// the local time of capture to the centisecond. Frames within one centisecond, or an hour
// apart across the autumn clock change, would share a stamp: uniqueFrameFileName keeps them
// apart so no image replaces another.

#include <chrono>
#include <string>
#include <string_view>

struct FrameStamp {
    int year = 0;        // four digits
    int month = 0;       // 1..12
    int day = 0;         // 1..31
    int hour = 0;        // 0..23
    int minute = 0;      // 0..59
    int second = 0;      // 0..60
    int centisecond = 0; // milliseconds / 10, remainder dropped

    // The local time of the given moment (default: now).
    static FrameStamp
    fromLocalTime(std::chrono::system_clock::time_point when = std::chrono::system_clock::now());

    // "_20010503_140509_23"
    std::string text() const;
};

// prefix + stamp + ".jpg"; the prefix may be empty.
std::string frameFileName(std::string_view prefix, const FrameStamp& stamp);
// frameFileName, or prefix + stamp + "_N.jpg" with the smallest N from 2 for which no entry of
// that name exists in the directory (which ends in a separator or is empty). Past
// kMaxFrameNameRepeats taken names it gives the plain name.
inline constexpr unsigned kMaxFrameNameRepeats = 1000;
std::string uniqueFrameFileName(const std::string& directory, std::string_view prefix,
                                const FrameStamp& stamp);
// prefix + stamp of the first frame + ".sqj", in the frames' folder.
std::string sequenceFileName(std::string_view prefix, const FrameStamp& stamp);
