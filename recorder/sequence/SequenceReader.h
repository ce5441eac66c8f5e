#pragma once
// Reads a sequence file through once, as the viewer and the album do, and never trusts it:
// every length is checked before use, nothing is read past a buffer, and memory grows only
// with entries actually present in the file.

#include "recorder/sequence/SequenceFormat.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum class SequenceStatus {
    Good,        // the magic matched and all N entries were read
    NotSequence, // the magic is neither sq10 nor sq11 (or the file is shorter than it): 0 frames
    // The file ends inside the header or before its N-th entry. framePaths holds the complete
    // entries before the end, none invented; a caller may play them or report the damage.
    Truncated,
    // Outside the format's limits: a name above 260 bytes, a joined path above 260 bytes with
    // its zero byte, a name without its zero byte, a frame count above kMaxSequenceFrames, or
    // a name that would lead outside the folder (see isSafeSequenceName). framePaths holds
    // the entries before the offending one.
    OutOfLimits,
    // Missing, unreadable, not a regular file (a pipe or a device is never opened, so it
    // cannot block the reader), or held open by a recorder; see openResult.
    OpenFailed,
};

struct SequenceContents {
    SequenceStatus status = SequenceStatus::OpenFailed;
    HRESULT openResult = S_OK; // the failure when status is OpenFailed
    SequenceHeader header;     // as stored; frameCount may exceed framePaths when damaged
    // Full path of each entry read, in playing order: "sq11" names joined to the sequence
    // file's folder, "sq10" names as stored.
    std::vector<std::string> framePaths;

    bool isGood() const { return status == SequenceStatus::Good; }
};

// Reads the file at sequencePath. Opening takes a shared lock and fails while a recorder
// holds the file.
SequenceContents readSequence(const std::string& sequencePath);

// The same over bytes already in memory; sequencePath only places "sq11" names.
SequenceContents parseSequence(std::span<const std::uint8_t> bytes, std::string_view sequencePath);
