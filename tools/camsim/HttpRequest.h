#pragma once
// One HTTP request as a camera reads it: request line, header fields, body.

#include "platform/base/AsciiCase.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace camsim {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

struct HttpRequest {
    std::string method;
    std::string target;  // as sent: path and query
    std::string path;    // before "?"
    std::string query;   // after "?", undecoded
    std::string version; // "HTTP/1.1"
    HeaderList headers;  // in order, values trimmed
    std::string body;

    // The first header of that name, compared ignoring case.
    std::optional<std::string> header(std::string_view name) const;
    // The first query parameter of that name (exact), percent-decoded.
    std::optional<std::string> param(std::string_view name) const;
};

enum class ParseStatus { Complete, Incomplete, Invalid };

// Parses the request head at the start of bytes; on Complete, headLength counts the bytes up to
// and including the empty line. Bare LF line ends are accepted.
ParseStatus parseRequestHead(std::string_view bytes, HttpRequest& request, std::size_t& headLength);

// "a=1&b=x%20y" → (a,1), (b,x y). A name without "=" has an empty value.
std::vector<std::pair<std::string, std::string>> parseQuery(std::string_view query);

// Header names and protocol words: the suite's one ASCII case-insensitive compare.
using orvel::equalsIgnoringCase;

} // namespace camsim

namespace camsim {

// A request as the camera's log keeps it, with the port it came in on and the status answered
// (0: the connection was reset instead).
struct LoggedRequest {
    HttpRequest request;
    std::uint16_t port = 0;
    int status = 0;
};

} // namespace camsim
