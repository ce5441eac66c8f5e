#include "client/MultipartSplitter.h"

#include <cstring>

namespace lumin {

MultipartSplitter::MultipartSplitter(std::string marker, Deliver deliver, std::size_t maxPart)
    : m_marker(std::move(marker)), m_deliver(std::move(deliver)), m_maxPart(maxPart)
{}

MultipartSplitter::Result MultipartSplitter::feed(const char* data, std::size_t size)
{
    if (m_buffer.size() + size > m_maxPart)
        return Result::TooLarge;
    m_buffer.insert(m_buffer.end(), data, data + size);
    const std::size_t markerLength = m_marker.size();

    for (;;) {
        const std::size_t length = m_buffer.size();
        const char* base = m_buffer.data();
        const void* found = nullptr;
        if (length >= m_scanned + markerLength)
            found = memmem(base + m_scanned, length - m_scanned, m_marker.data(), markerLength);
        if (found == nullptr) {
            // The last bytes may be the start of a marker that the next chunk completes.
            if (length + 1 > markerLength)
                m_scanned = std::max(m_scanned, length + 1 - markerLength);
            return Result::Continue;
        }
        const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(found) - base);
        std::size_t end = at;
        for (int i = 0; i < 2 && end > 0 && (base[end - 1] == '\r' || base[end - 1] == '\n'); ++i)
            --end;
        if (end > 0 && !m_deliver(std::string_view(base, end), m_headers))
            return Result::Stopped;

        std::size_t pos = at + markerLength;
        const bool complete = parseHeaderBlock(std::string_view(base, length), pos, m_headers);
        m_scanned = 0;
        if (!complete) {
            // Keep the marker at offset 0: the next chunk finds it again, delivers nothing
            // and parses the completed block.
            m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(at));
            m_headers.clear();
            return Result::Continue;
        }
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(pos));
    }
}

} // namespace lumin
