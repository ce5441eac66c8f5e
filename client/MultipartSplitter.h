#pragma once
// Cuts a multipart/x-mixed-replace body into parts as its bytes arrive in chunks of any size.
// The part bytes may hold zero bytes and CR LF "--" sequences (JPEG data); only the full marker
// ends a part. A marker or header block split between two chunks is found once the rest
// arrives. One buffer serves the whole stream and only grows.

#include "client/PartHeaders.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lumin {

// A stream whose part being assembled (headers included) passes this many bytes ends: a
// camera cannot make the client take unbounded memory.
inline constexpr std::size_t kMaxPartBytes = 64u * 1024 * 1024;

class MultipartSplitter {
public:
    // Receives each complete, non-empty part (without the CR LF before the next marker) and
    // the headers that preceded it; false stops the splitting.
    using Deliver = std::function<bool(std::string_view part, const HeaderList& headers)>;

    enum class Result {
        Continue, // wants the next chunk
        Stopped,  // Deliver answered false
        TooLarge, // the part grew past kMaxPartBytes
    };

    MultipartSplitter(std::string marker, Deliver deliver, std::size_t maxPart = kMaxPartBytes);

    Result feed(const char* data, std::size_t size);

    // Bytes held for the part being assembled (tests, diagnostics).
    std::size_t buffered() const { return m_buffer.size(); }
    std::size_t capacity() const { return m_buffer.capacity(); }

private:
    const std::string m_marker;
    const Deliver m_deliver;
    const std::size_t m_maxPart;
    std::vector<char> m_buffer;
    std::size_t m_scanned = 0; // bytes at the start known to hold no marker
    HeaderList m_headers;      // of the part being assembled
};

} // namespace lumin
