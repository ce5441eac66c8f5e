#pragma once
// Fetches the page the host opens: an HTML file (a regular file, opened without blocking) or
// a page served over HTTP, bounded in size and time. The document address it reports is what
// the controls resolve their bare paths against.

#include <string>

namespace pagehost {

inline constexpr std::size_t kMaxPageBytes = 4 * 1024 * 1024;
inline constexpr int kPageTimeoutMs = 10000; // connect, and each wait for bytes

struct LoadedPage {
    std::string address; // "http://host/path" as given, or "file:///absolute/path"
    std::string html;
};

// "http://..." and "https://..." are fetched; anything else is a file path (or "file://").
// False with a one-line reason in *error.
bool loadPage(const std::string& location, LoadedPage& page, std::string* error);

} // namespace pagehost
