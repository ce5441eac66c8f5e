#include "recorder/sequence/SequenceReader.h"

#include "recorder/sequence/SequenceFile.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// Both sources answer read(dst, n) with the bytes copied (fewer only at the end) or -1.
class MemorySource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    long long read(void* dst, std::size_t size)
    {
        const std::size_t n = std::min(size, m_bytes.size() - m_pos);
        if (n > 0)
            std::memcpy(dst, m_bytes.data() + m_pos, n);
        m_pos += n;
        return static_cast<long long>(n);
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
};

// Entries are a few dozen bytes each; buffering spares one system call per field.
class FileSource {
public:
    explicit FileSource(SequenceFile& file) : m_file(file) {}
    long long read(void* dst, std::size_t size)
    {
        auto* out = static_cast<std::uint8_t*>(dst);
        std::size_t done = 0;
        while (done < size) {
            if (m_pos == m_end) {
                const long long n = m_file.read(m_buffer.data(), m_buffer.size());
                if (n < 0)
                    return -1;
                if (n == 0)
                    break;
                m_pos = 0;
                m_end = static_cast<std::size_t>(n);
            }
            const std::size_t n = std::min(size - done, m_end - m_pos);
            std::memcpy(out + done, m_buffer.data() + m_pos, n);
            m_pos += n;
            done += n;
        }
        return static_cast<long long>(done);
    }

private:
    SequenceFile& m_file;
    std::array<std::uint8_t, 64 * 1024> m_buffer{};
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
};

// Reads exactly size bytes: Good, Truncated at the end of the data, OpenFailed on an I/O error.
template <class Source> SequenceStatus readExactly(Source& source, void* dst, std::size_t size)
{
    const long long n = source.read(dst, size);
    if (n < 0)
        return SequenceStatus::OpenFailed;
    return static_cast<std::size_t>(n) == size ? SequenceStatus::Good : SequenceStatus::Truncated;
}

template <class Source> SequenceContents parseFrom(Source& source, std::string_view sequencePath)
{
    SequenceContents contents;
    std::array<std::uint8_t, kSequenceHeaderSize> header{};
    contents.status = readExactly(source, header.data(), 4);
    if (contents.status != SequenceStatus::Good ||
        !parseSequenceMagic(header.data(), &contents.header.magic)) {
        // Too short for a magic, or a foreign one: no frames, nothing more is read.
        if (contents.status == SequenceStatus::OpenFailed)
            contents.openResult = HRESULT_FROM_WIN32(ERROR_CANTREAD);
        else
            contents.status = SequenceStatus::NotSequence;
        return contents;
    }
    contents.status = readExactly(source, header.data() + 4, kSequenceHeaderSize - 4);
    if (contents.status != SequenceStatus::Good)
        return contents;
    contents.header.frameCount = loadLe32(header.data() + 4);
    contents.header.frameInterval = loadLe32(header.data() + kFrameIntervalOffset);
    if (contents.header.frameCount > kMaxSequenceFrames) {
        contents.status = SequenceStatus::OutOfLimits;
        return contents;
    }

    const std::size_t folderBytes =
        contents.header.magic == SequenceMagic::Sq11 ? sequenceFolder(sequencePath).size() + 1 : 0;
    std::array<char, kMaxSequencePath> name{};
    for (UI4 i = 0; i < contents.header.frameCount; ++i) {
        std::uint8_t lengthBytes[4];
        contents.status = readExactly(source, lengthBytes, 4);
        if (contents.status != SequenceStatus::Good)
            break;
        const UI4 length = loadLe32(lengthBytes);
        if (length > name.size()) {
            contents.status = SequenceStatus::OutOfLimits;
            break;
        }
        contents.status = readExactly(source, name.data(), length);
        if (contents.status != SequenceStatus::Good)
            break;
        const auto* zero = static_cast<const char*>(std::memchr(name.data(), '\0', length));
        const std::size_t nameSize = zero ? static_cast<std::size_t>(zero - name.data()) : 0;
        // A slashless "sq11" path counts its separator too: the bound stays on the safe side.
        if (!zero || folderBytes + nameSize + 1 > kMaxSequencePath) {
            contents.status = SequenceStatus::OutOfLimits;
            break;
        }
        const std::string_view entry(name.data(), nameSize);
        // A name that would lead outside the sequence's folder is no frame of it: the album
        // deletes what a sequence lists.
        if (!isSafeSequenceName(contents.header.magic, entry)) {
            contents.status = SequenceStatus::OutOfLimits;
            break;
        }
        contents.framePaths.push_back(
            sequenceFramePath(contents.header.magic, sequencePath, entry));
    }
    if (contents.status == SequenceStatus::OpenFailed) {
        contents.framePaths.clear();
        contents.openResult = HRESULT_FROM_WIN32(ERROR_CANTREAD);
    }
    return contents;
}

} // namespace

SequenceContents readSequence(const std::string& sequencePath)
{
    SequenceFile file;
    const HRESULT hr = SequenceFile::open(sequencePath, SequenceAccess::Read, &file);
    if (FAILED(hr)) {
        SequenceContents contents;
        contents.openResult = hr;
        return contents;
    }
    FileSource source(file);
    return parseFrom(source, sequencePath);
}

SequenceContents parseSequence(std::span<const std::uint8_t> bytes, std::string_view sequencePath)
{
    MemorySource source(bytes);
    return parseFrom(source, sequencePath);
}
