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

bool MultipartSplitter::handOver(PartBuffer& spare)
{
    if (!m_delivering || m_handedOver)
        return false;
    const std::size_t from = m_markerAt + m_marker.size();
    const std::size_t rest = m_filled - from;
    try {
        if (spare.size() < rest)
            spare.resize(rest);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (rest > 0)
        std::memcpy(spare.data(), m_buffer.data() + from, rest);
    std::swap(spare, m_buffer);
    spare.resize(m_partEnd); // shrinking keeps the bytes where they are
    m_filled = rest;
    m_handedOver = true;
    return true;
}

void MultipartSplitter::consume(std::size_t n)
{
    std::memmove(m_buffer.data(), m_buffer.data() + n, m_filled - n);
    m_filled -= n;
}

// Every byte is looked at a bounded number of times however the stream is cut: the marker
// search resumes after the bytes known to hold none, the header reader at its last line.
MultipartSplitter::Result MultipartSplitter::split()
{
    const std::size_t markerLength = m_marker.size();
    for (;;) {
        const std::size_t length = m_filled;
        const char* base = m_buffer.data();
        if (m_state == State::Header) {
            switch (m_headerReader.read(std::string_view(base, length), m_headerPos)) {
            case HeaderBlockReader::Progress::NeedMore:
                return Result::Continue;
            case HeaderBlockReader::Progress::Complete:
                m_headers = std::move(m_headerReader.headers());
                consume(m_headerPos);
                m_state = State::Body;
                m_scanned = 0;
                continue;
            case HeaderBlockReader::Progress::TooLarge:
                if (m_skipped)
                    m_skipped("a part's header block is over " +
                              std::to_string(kMaxPartHeaderBytes / 1024) + " KiB or " +
                              std::to_string(kMaxPartHeaderLines) + " lines; part skipped");
                m_headerReader.reset();
                m_headers.clear();
                consume(m_headerPos);
                m_state = State::Skip;
                m_scanned = 0;
                continue;
            }
        }

        const char* found = nullptr;
        if (length >= m_scanned + markerLength)
            found = findMarker(std::string_view(base + m_scanned, length - m_scanned), m_marker);
        if (found == nullptr) {
            // The last bytes may be the start of a marker that the next chunk completes.
            if (length + 1 > markerLength)
                m_scanned = std::max(m_scanned, length + 1 - markerLength);
            if (m_state == State::Skip && m_scanned > 0) {
                consume(m_scanned); // a skipped part is not kept
                m_scanned = 0;
            }
            return Result::Continue;
        }
        const auto at = static_cast<std::size_t>(found - base);
        if (m_state == State::Body) {
            std::size_t end = at;
            for (int i = 0; i < 2 && end > 0 && (base[end - 1] == '\r' || base[end - 1] == '\n');
                 ++i)
                --end;
            if (end > 0) {
                m_partEnd = end;
                m_markerAt = at;
                m_delivering = true;
                m_handedOver = false;
                const bool more = m_deliver(std::string_view(base, end), m_headers);
                m_delivering = false;
                if (!more)
                    return Result::Stopped;
            }
        }
        // A part handed over left the bytes after its marker at the start already.
        if (!m_handedOver)
            consume(at + markerLength);
        m_handedOver = false;
        m_headers.clear();
        m_headerReader.reset();
        m_headerPos = 0;
        m_state = State::Header;
    }
}

} // namespace lumin
