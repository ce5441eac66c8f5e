#pragma once
// Writes a sequence file in the order that keeps it readable at every moment: a placeholder
// header counting 0 frames, then one entry per frame written before the frame file is saved,
// and the real count and interval only when the sequence is finished. A recording cut short
// therefore reads as 0 frames rather than naming frames that were never saved.

#include "recorder/sequence/SequenceFile.h"
#include "recorder/sequence/SequenceFormat.h"

#include <optional>
#include <string>
#include <string_view>

class SequenceWriter {
public:
    // Creates or replaces the file at sequencePath, holds it exclusively until finish() or
    // destruction, and writes the placeholder header "sq11", 0, 0. Fails with
    // SequenceFile::open's result, or E_FAIL when the header cannot be written (the file is
    // then closed).
    static HRESULT create(const std::string& sequencePath, std::optional<SequenceWriter>* writer);

    SequenceWriter(SequenceWriter&&) = default;
    SequenceWriter& operator=(SequenceWriter&&) = default;

    // Appends the entry for a frame file in the sequence's folder, named bare. E_INVALIDARG for
    // a name with "/" or a zero byte, or one whose joined path exceeds the format's 260 bytes (no
    // reader could take it), E_FAIL when the write fails, E_HANDLE after finish().
    HRESULT appendEntry(std::string_view name);
    // The last appended frame was saved with more than 0 bytes: it belongs to the sequence.
    void countFrame() { ++m_frameCount; }
    UI4 frameCount() const { return m_frameCount; }

    // Rewrites the 12 header bytes at offset 0 with "sq11", the counted frames and the
    // interval, then closes. E_FAIL when the rewrite fails (the file is closed all the same),
    // E_HANDLE when already finished.
    HRESULT finish(UI4 frameInterval);

    const std::string& path() const { return m_path; }

private:
    SequenceWriter(std::string path, SequenceFile file)
        : m_path(std::move(path)), m_file(std::move(file))
    {}

    std::string m_path;
    SequenceFile m_file;
    UI4 m_frameCount = 0;
};
