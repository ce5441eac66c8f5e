#pragma once
// What the Record dialog edits, where it starts from (the view's own copy and the user's
// HKCU "Software\Orvel Works\Foldra\Settings" values) and where a started recording keeps it.

#include "namespace/record/FrameRate.h"
#include "namespace/views/ViewState.h"

#include <string>

namespace foldra {

// Directory and prefix are kept to this many bytes.
inline constexpr std::size_t kMaxRecordPath = 260;

struct RecordSettings {
    std::string directory;
    std::string prefix;
    DWORD rateUnit = 0;        // RecordUnit: RateUnit's values
    DWORD rate = 3;            // RecordSpeed: frames per unit
    DWORD intervalMs = 0;      // derived from the two above by the dialog
    DWORD durationSeconds = 1; // RecordDuration
    DWORD durationUnit = 1;    // RecordDurationUnit: 0 seconds, 1 minutes, 2 hours
    DWORD maxSizeMb = 25;      // RecordMaxSize
};

// Where the dialog starts: the view's copy, the settings values for what it lacks, and the
// system's temporary directory when neither names a directory. When the settings key cannot
// be opened the directory stays empty.
RecordSettings startingRecordSettings(const std::string& viewDirectory,
                                      const std::string& viewPrefix, const RecordValues& view);

// After a successful start: the view's copy and the settings values. False when the key
// cannot be opened (the view's copy is then left as it was).
bool storeRecordSettings(const RecordSettings& settings, std::string* viewDirectory,
                         std::string* viewPrefix, RecordValues* view);

// 1, 60 or 3600 seconds per recording-time unit; 1 for any other unit.
DWORD durationUnitSeconds(DWORD unit);

} // namespace foldra
