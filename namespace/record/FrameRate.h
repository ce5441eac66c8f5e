#pragma once
// Frame rates as the user types them (a count per second, minute or hour) and the frame
// interval in milliseconds the recorder and sequence files carry.

#include "platform/base/WinTypes.h"

#include <optional>
#include <string_view>

namespace foldra {

// Stored in the settings as 0, 1, 2.
enum class RateUnit : DWORD {
    PerSecond = 0,
    PerMinute = 1,
    PerHour = 2,
};

// 1000, 60000 or 3600000.
DWORD rateUnitMilliseconds(RateUnit unit);

// The unit's length divided by the rate (integer division); rate must be above 0.
DWORD frameIntervalMs(RateUnit unit, DWORD rate);

struct ShownFrameRate {
    DWORD value = 0; // truncated
    RateUnit unit = RateUnit::PerSecond;
};

// How a sequence's interval is offered for editing: per second when at least one a second,
// else per minute when that is whole to the first decimal, else per hour. Nothing for 0.
std::optional<ShownFrameRate> shownFrameRate(DWORD intervalMs);

// A decimal number above 0 as typed in a dialog field (spaces around it allowed); nothing for
// anything else, also for a number beyond 32 bits.
std::optional<DWORD> parsePositiveDecimal(std::string_view text);

} // namespace foldra
