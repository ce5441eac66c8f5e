#include "client/PartHeaders.h"

#include "common/ICamRequestSink.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <strings.h>

namespace lumin {

namespace {

bool iequals(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

bool istartsWith(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && iequals(s.substr(0, prefix.size()), prefix);
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

} // namespace

std::optional<std::string> boundaryMarker(std::string_view contentType)
{
    if (!istartsWith(contentType, "multipart/x-mixed-replace"))
        return std::nullopt;
    std::optional<std::string> marker;
    std::string_view rest = contentType;
    while (!rest.empty()) {
        const std::size_t semi = rest.find(';');
        std::string_view piece = rest.substr(0, semi);
        rest = semi == std::string_view::npos ? std::string_view() : rest.substr(semi + 1);
        while (!piece.empty() && isBlank(piece.front()))
            piece.remove_prefix(1);
        const std::size_t eq = piece.find('=');
        if (!istartsWith(piece, "boundary") || eq == std::string_view::npos)
            continue;
        std::string_view value = piece.substr(eq + 1);
        while (!value.empty() && (value.front() == '=' || isBlank(value.front())))
            value.remove_prefix(1);
        while (!value.empty() && isBlank(value.back()))
            value.remove_suffix(1);
        // RFC 2046 allows the boundary in quotes, and cameras send it so.
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.empty())
            continue;
        marker = value.substr(0, 2) == "--" ? std::string(value) : "--" + std::string(value);
    }
    return marker;
}

namespace {

// One header line without its LF: CR dropped wherever it is, "name: value" trimmed and
// appended. True when the line was empty (after the CRs went).
bool takeHeaderLine(std::string_view line, HeaderList& headers)
{
    // The usual CR ends the line and needs no copy.
    while (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    std::string stripped;
    if (line.find('\r') != std::string_view::npos) {
        stripped.reserve(line.size());
        for (char c : line)
            if (c != '\r')
                stripped += c;
        line = stripped;
    }
    if (line.empty())
        return true;
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return false;
    const std::string_view name = trim(line.substr(0, colon));
    const std::string_view value = trim(line.substr(colon + 1));
    if (!value.empty())
        headers.emplace_back(std::string(name), std::string(value));
    return false;
}

} // namespace

bool parseHeaderBlock(std::string_view data, std::size_t& pos, HeaderList& headers)
{
    HeaderBlockReader reader(std::numeric_limits<std::size_t>::max(),
                             std::numeric_limits<std::size_t>::max());
    std::size_t at = pos;
    if (reader.read(data, at) != HeaderBlockReader::Progress::Complete) {
        headers.clear();
        return false;
    }
    headers = std::move(reader.headers());
    pos = at;
    return true;
}

void HeaderBlockReader::reset()
{
    m_headers.clear();
    m_first = true;
    m_lines = 0;
}

HeaderBlockReader::Progress HeaderBlockReader::read(std::string_view data, std::size_t& pos)
{
    while (pos < data.size()) {
        const std::size_t lf = data.find('\n', pos);
        if (lf == std::string_view::npos)
            break;
        const std::string_view line = data.substr(pos, lf - pos);
        pos = lf + 1;
        if (pos > m_maxBytes || ++m_lines > m_maxLines)
            return Progress::TooLarge;
        const bool empty = takeHeaderLine(line, m_headers);
        if (empty && !m_first)
            return Progress::Complete;
        m_first = false;
    }
    // pos is at the start of the unfinished line: what the block holds so far counts.
    return data.size() > m_maxBytes ? Progress::TooLarge : Progress::NeedMore;
}

UI4 partType(const HeaderList& headers)
{
    const std::string* value = nullptr;
    for (const auto& [name, v] : headers)
        if (iequals(name, "content-type"))
            value = &v;
    if (value == nullptr)
        return CamTypeOther;
    if (iequals(*value, "image/jpeg"))
        return CamTypeJpeg;
    if (iequals(*value, "text/plain"))
        return CamTypeText;
    if (iequals(*value, "audio/x-rtp") || iequals(*value, "audio/32KADPCM") ||
        iequals(*value, "audio/G723"))
        return CamTypeAudio;
    if (iequals(*value, "text/html"))
        return CamTypeHtml;
    return CamTypeOther;
}

} // namespace lumin
