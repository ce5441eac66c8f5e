#include "client/MultipartSplitter.h"

#include "client/MarkerSearch.h"

#include <cstring>

namespace lumin {

MultipartSplitter::MultipartSplitter(std::string marker, Deliver deliver, std::size_t maxPart)
    : m_marker(std::move(marker)), m_deliver(std::move(deliver)), m_maxPart(maxPart)
{}

MultipartSplitter::Result MultipartSplitter::feed(const char* data, std::size_t size)
{
    if (m_filled + size > m_maxPart)
        return Result::TooLarge;
    if (m_buffer.size() < m_filled + size) {
        try {
            // The vector grows geometrically and keeps its size between parts, so the buffer
            // is rarely grown and never cleared.
            m_buffer.resize(m_filled + size);
        } catch (const std::bad_alloc&) {
            return Result::TooLarge;
        } catch (const std::length_error&) {
            return Result::TooLarge;
        }
    }
    if (size > 0)
        std::memcpy(m_buffer.data() + m_filled, data, size);
    m_filled += size;
    return split();
}

MultipartSplitter::Result MultipartSplitter::split()
{
    const std::size_t markerLength = m_marker.size();
    // Drops the first n bytes, keeping the rest at the start.
    auto consume = [this](std::size_t n) {
        std::memmove(m_buffer.data(), m_buffer.data() + n, m_filled - n);
        m_filled -= n;
    };

    for (;;) {
        const std::size_t length = m_filled;
        const char* base = m_buffer.data();
        const char* found = nullptr;
        if (length >= m_scanned + markerLength)
            found = findMarker(std::string_view(base + m_scanned, length - m_scanned), m_marker);
        if (found == nullptr) {
            // The last bytes may be the start of a marker that the next chunk completes.
            if (length + 1 > markerLength)
                m_scanned = std::max(m_scanned, length + 1 - markerLength);
            return Result::Continue;
        }
        const auto at = static_cast<std::size_t>(found - base);
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
            consume(at);
            m_headers.clear();
            return Result::Continue;
        }
        consume(pos);
    }
}

} // namespace lumin
