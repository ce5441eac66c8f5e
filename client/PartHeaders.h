#pragma once
// Reading the head of a multipart stream and of its parts: the boundary marker from the
// reply's Content-Type, the header block of each part, and the type code its content type
// gives.

#include "platform/base/WinTypes.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumin {

// Ordered (name, value) pairs of the part being assembled, names as received.
using HeaderList = std::vector<std::pair<std::string, std::string>>;

// For "multipart/x-mixed-replace; boundary=..." the marker that separates parts ("--" and the
// boundary, or the boundary itself when it already begins with "--"); nullopt when the value
// is not multipart or names no boundary. A boundary in double quotes is used without them.
std::optional<std::string> boundaryMarker(std::string_view contentType);

// Reads header lines from data[pos...]: LF ends a line, CR is dropped; "name: value" pairs are
// trimmed and appended to headers (which is cleared first); a line without a value adds
// nothing. The first empty line ends the block; the first line never counts as that empty line
// (it is the rest of the marker line). True when the block was complete, with pos moved past
// the empty line; false when the bytes ran out first (pos unchanged).
bool parseHeaderBlock(std::string_view data, std::size_t& pos, HeaderList& headers);

// A part's header block is bounded: a camera cannot make the client hold or parse without end
// a block that never ends.
inline constexpr std::size_t kMaxPartHeaderBytes = 64 * 1024;
inline constexpr std::size_t kMaxPartHeaderLines = 1000;

// Reads one header block as its bytes arrive, as parseHeaderBlock does, each byte once however
// the block is cut: read() resumes at the line where the last call stopped.
class HeaderBlockReader {
public:
    enum class Progress { NeedMore, Complete, TooLarge };

    explicit HeaderBlockReader(std::size_t maxBytes = kMaxPartHeaderBytes,
                               std::size_t maxLines = kMaxPartHeaderLines)
        : m_maxBytes(maxBytes), m_maxLines(maxLines)
    {}
    // Starts a new block (the line after the marker comes first).
    void reset();
    // data: the block's bytes from its start (the rest of the marker line) so far; pos: where
    // reading resumes, moved past every complete line read. TooLarge once the block passes
    // maxBytes or maxLines without ending.
    Progress read(std::string_view data, std::size_t& pos);
    HeaderList& headers() { return m_headers; }

private:
    const std::size_t m_maxBytes;
    const std::size_t m_maxLines;
    HeaderList m_headers;
    bool m_first = true;
    std::size_t m_lines = 0;
};

// CamTypeJpeg ... CamTypeOther from the last "content-type" header (name and value compared
// ignoring case, the whole value).
UI4 partType(const HeaderList& headers);

} // namespace lumin
