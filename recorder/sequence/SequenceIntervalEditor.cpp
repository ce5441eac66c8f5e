#include "recorder/sequence/SequenceIntervalEditor.h"

HRESULT SequenceIntervalEditor::open(const std::string& sequencePath,
                                     std::optional<SequenceIntervalEditor>* editor)
{
    editor->reset();
    SequenceFile file;
    if (const HRESULT hr = SequenceFile::open(sequencePath, SequenceAccess::ReadWrite, &file);
        FAILED(hr))
        return hr;
    std::uint8_t header[kSequenceHeaderSize];
    SequenceMagic magic;
    if (file.readAt(0, header, sizeof header) != static_cast<long long>(sizeof header) ||
        !parseSequenceMagic(header, &magic))
        return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
    editor->emplace(
        SequenceIntervalEditor(std::move(file), loadLe32(header + kFrameIntervalOffset)));
    return S_OK;
}

HRESULT SequenceIntervalEditor::setFrameInterval(UI4 frameInterval)
{
    std::uint8_t bytes[4];
    storeLe32(bytes, frameInterval);
    if (!m_file.writeAllAt(kFrameIntervalOffset, bytes, sizeof bytes))
        return E_FAIL;
    m_frameInterval = frameInterval;
    return S_OK;
}
