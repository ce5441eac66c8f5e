#pragma once
// Cuts a multipart/x-mixed-replace body into parts as its bytes arrive in chunks of any size.
// The part bytes may hold zero bytes and CR LF "--" sequences (JPEG data); only the full marker
// ends a part. A marker or header block split between two chunks is found once the rest
// arrives. One buffer serves the whole stream and only grows.

#include "client/PartBuffer.h"
#include "client/PartHeaders.h"
#include "common/ICamMultipartRequest.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace lumin {

class MultipartSplitter {
public:
    // Receives each complete, non-empty part (without the CR LF before the next marker) and
    // the headers that preceded it; false stops the splitting.
    using Deliver = std::function<bool(std::string_view part, const HeaderList& headers)>;

    enum class Result {
        Continue, // wants the next chunk
        Stopped,  // Deliver answered false
        TooLarge, // the part grew past kCamMaxPartBytes, or memory ran out
    };

    MultipartSplitter(std::string marker, Deliver deliver, std::size_t maxPart = kCamMaxPartBytes);

    // Told, with a one-line reason, of each part skipped because its header block passed
    // kMaxPartHeaderBytes or kMaxPartHeaderLines; the stream goes on at the next marker.
    using Skipped = std::function<void(std::string_view why)>;
    void onSkipped(Skipped skipped) { m_skipped = std::move(skipped); }

    // Copies the chunk in and splits.
    Result feed(const char* data, std::size_t size);

    // Only inside Deliver: gives the buffer that holds the part to the caller instead of a copy
    // of it. spare (any buffer, its contents dropped) becomes the splitter's buffer, holding
    // the bytes after the part; the part is then spare's bytes, at the address Deliver was
    // given. False, and nothing changed, when there is no part being delivered or no memory.
    bool handOver(PartBuffer& spare);

    // Bytes held for the part being assembled (tests, diagnostics).
    std::size_t buffered() const { return m_filled; }
    std::size_t capacity() const { return m_buffer.capacity(); }

private:
    Result split();
    // Drops the first n bytes, keeping the rest at the start.
    void consume(std::size_t n);

    enum class State {
        Body,   // assembling a part's bytes, looking for the next marker
        Header, // reading the header block after a marker (from offset 0)
        Skip,   // dropping a part whose header block was too large, up to the next marker
    };

    const std::string m_marker;
    const Deliver m_deliver;
    const std::size_t m_maxPart;
    PartBuffer m_buffer;
    std::size_t m_filled = 0;  // of m_buffer, the bytes received; the rest is spare
    std::size_t m_scanned = 0; // bytes at the start known to hold no marker
    HeaderList m_headers;      // of the part being assembled
    State m_state = State::Body;
    HeaderBlockReader m_headerReader;
    std::size_t m_headerPos = 0; // Header: where the reader resumes
    Skipped m_skipped;
    // While Deliver runs: where the part ends and where its marker starts.
    std::size_t m_partEnd = 0;
    std::size_t m_markerAt = 0;
    bool m_delivering = false;
    bool m_handedOver = false;
};

} // namespace lumin
