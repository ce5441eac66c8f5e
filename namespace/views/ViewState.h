#pragma once
// The settings a live view keeps per folder in the browser's view-state stream, little-endian:
// version, the two layout flags, the save directory and sequence prefix (each a u32 byte count
// with the terminating zero, then the bytes), the five recording values; version 4 (the switch
// view) writes the strings and the recording values as zeros and adds the display-names flag.

#include "platform/com/Stream.h"

#include <cstdint>
#include <string>

namespace foldra {

// A stored string is at most 260 bytes and its terminator.
inline constexpr std::uint32_t kMaxViewStateStringBytes = 261;
inline constexpr std::uint32_t kSingleViewStateVersion = 3;
inline constexpr std::uint32_t kSwitchViewStateVersion = 4;

// A live view's own copy of the Record dialog's values (persisted with its view state).
struct RecordValues {
    std::uint32_t unit = 0;         // RecordUnit: 0 per second, 1 per minute, 2 per hour
    std::uint32_t speed = 3;        // RecordSpeed: frames per unit
    std::uint32_t duration = 1;     // RecordDuration
    std::uint32_t durationUnit = 1; // RecordDurationUnit: 0 seconds, 1 minutes, 2 hours
    std::uint32_t maxSize = 25;     // RecordMaxSize in MB
    bool operator==(const RecordValues&) const = default;
};

struct ViewState {
    bool retainImageSize = true;
    bool sizeToFit = false;
    std::string saveDirectory;  // at most 260 bytes
    std::string sequencePrefix; // at most 260 bytes
    RecordValues record;
    bool displayNames = true; // switch view only
    bool operator==(const ViewState&) const = default;
};

// Reads what the stream holds into state; fields the version does not carry, and every field
// after one that is cut short or damaged (a string count above 261), keep their values.
// \retval S_OK (all the version promises was read), S_FALSE (the stream ended early or held
//         a damaged field), E_POINTER
HRESULT readViewState(IStream* stream, ViewState& state);
// version: kSingleViewStateVersion or kSwitchViewStateVersion. Strings longer than 260 bytes
// are cut. \retval S_OK, E_POINTER, E_INVALIDARG (another version), the stream's write failure
HRESULT writeViewState(IStream* stream, const ViewState& state, std::uint32_t version);

} // namespace foldra
