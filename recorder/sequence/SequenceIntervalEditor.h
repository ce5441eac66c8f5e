#pragma once
// The album's "change frame rate": reads and rewrites the 4-byte interval at offset 8 and
// nothing else, so the count and every entry stay byte for byte as they were.

#include "recorder/sequence/SequenceFile.h"
#include "recorder/sequence/SequenceFormat.h"

#include <optional>
#include <string>

class SequenceIntervalEditor {
public:
    // Opens an existing sequence file for reading and writing, exclusively, and reads its
    // interval. Fails with SequenceFile::open's result, or HRESULT_FROM_WIN32(ERROR_INVALID_DATA)
    // for a file without a whole header or a sq10/sq11 magic (so a foreign file is never
    // written into).
    static HRESULT open(const std::string& sequencePath,
                        std::optional<SequenceIntervalEditor>* editor);

    UI4 frameInterval() const { return m_frameInterval; }
    // E_FAIL when the write fails.
    HRESULT setFrameInterval(UI4 frameInterval);

private:
    SequenceIntervalEditor(SequenceFile file, UI4 interval)
        : m_file(std::move(file)), m_frameInterval(interval)
    {}

    SequenceFile m_file;
    UI4 m_frameInterval;
};
