#include "recorder/sequence/SequenceWriter.h"

HRESULT SequenceWriter::create(const std::string& sequencePath,
                               std::optional<SequenceWriter>* writer)
{
    writer->reset();
    SequenceFile file;
    const HRESULT hr = SequenceFile::open(sequencePath, SequenceAccess::CreateAlways, &file);
    if (FAILED(hr))
        return hr;
    const auto header = encodeSequenceHeader({SequenceMagic::Sq11, 0, 0});
    if (!file.writeAll(header.data(), header.size()))
        return E_FAIL;
    writer->emplace(SequenceWriter(sequencePath, std::move(file)));
    return S_OK;
}

HRESULT SequenceWriter::appendEntry(std::string_view name)
{
    if (!m_file.isOpen())
        return E_HANDLE;
    if (name.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos ||
        sequenceFolder(m_path).size() + 1 + name.size() + 1 > kMaxSequencePath)
        return E_INVALIDARG;
    const std::string entry = encodeSequenceEntry(name);
    return m_file.writeAll(entry.data(), entry.size()) ? S_OK : E_FAIL;
}

HRESULT SequenceWriter::finish(UI4 frameInterval)
{
    if (!m_file.isOpen())
        return E_HANDLE;
    const auto header = encodeSequenceHeader({SequenceMagic::Sq11, m_frameCount, frameInterval});
    const bool written = m_file.writeAllAt(0, header.data(), header.size());
    m_file.close();
    return written ? S_OK : E_FAIL;
}
