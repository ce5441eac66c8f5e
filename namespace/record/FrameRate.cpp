#include "namespace/record/FrameRate.h"

#include <cmath>
#include <cstdint>

namespace foldra {

DWORD rateUnitMilliseconds(RateUnit unit)
{
    switch (unit) {
    case RateUnit::PerMinute:
        return 60000;
    case RateUnit::PerHour:
        return 3600000;
    case RateUnit::PerSecond:
        break;
    }
    return 1000;
}

DWORD frameIntervalMs(RateUnit unit, DWORD rate)
{
    return rate == 0 ? 0 : rateUnitMilliseconds(unit) / rate;
}

std::optional<ShownFrameRate> shownFrameRate(DWORD intervalMs)
{
    if (intervalMs == 0)
        return std::nullopt;
    const double perSecond = 1000.0 / intervalMs;
    if (perSecond >= 1)
        return ShownFrameRate{static_cast<DWORD>(perSecond), RateUnit::PerSecond};
    // Each unit divided directly, so 60000 ms is exactly 1 a minute.
    const double perMinute = 60000.0 / intervalMs;
    // "Whole to the first decimal": 30.04 per minute still reads as 30.
    const auto tenths = static_cast<std::int64_t>(std::floor(perMinute * 10)) % 10;
    if (perMinute >= 1 && tenths == 0)
        return ShownFrameRate{static_cast<DWORD>(perMinute), RateUnit::PerMinute};
    return ShownFrameRate{static_cast<DWORD>(3600000.0 / intervalMs), RateUnit::PerHour};
}

std::optional<DWORD> parsePositiveDecimal(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > 0xFFFFFFFFu)
            return std::nullopt;
    }
    if (value == 0)
        return std::nullopt;
    return static_cast<DWORD>(value);
}

} // namespace foldra
