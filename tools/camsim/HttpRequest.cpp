#include "tools/camsim/HttpRequest.h"

#include <algorithm>
#include <cctype>

namespace camsim {
namespace {

std::string_view trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string percentDecode(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            int hi = hexValue(text[i + 1]);
            int lo = hexValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += text[i] == '+' ? ' ' : text[i];
    }
    return out;
}

} // namespace

std::optional<std::string> HttpRequest::header(std::string_view name) const
{
    for (const auto& [key, value] : headers)
        if (equalsIgnoringCase(key, name))
            return value;
    return std::nullopt;
}

std::optional<std::string> HttpRequest::param(std::string_view name) const
{
    for (auto& [key, value] : parseQuery(query))
        if (key == name)
            return value;
    return std::nullopt;
}

std::vector<std::pair<std::string, std::string>> parseQuery(std::string_view query)
{
    std::vector<std::pair<std::string, std::string>> items;
    while (!query.empty()) {
        std::size_t amp = query.find('&');
        std::string_view item = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view{} : query.substr(amp + 1);
        if (item.empty())
            continue;
        std::size_t eq = item.find('=');
        if (eq == std::string_view::npos)
            items.emplace_back(percentDecode(item), std::string{});
        else
            items.emplace_back(percentDecode(item.substr(0, eq)),
                               percentDecode(item.substr(eq + 1)));
    }
    return items;
}

ParseStatus parseRequestHead(std::string_view bytes, HttpRequest& request, std::size_t& headLength)
{
    // Find the empty line that ends the head: "\n\n" or "\n\r\n".
    std::size_t end = std::string_view::npos;
    for (std::size_t i = bytes.find('\n'); i != std::string_view::npos;
         i = bytes.find('\n', i + 1)) {
        if (i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            end = i + 2;
            break;
        }
        if (i + 2 < bytes.size() && bytes[i + 1] == '\r' && bytes[i + 2] == '\n') {
            end = i + 3;
            break;
        }
    }
    if (end == std::string_view::npos)
        return ParseStatus::Incomplete;

    std::string_view head = bytes.substr(0, end);
    std::size_t lineEnd = head.find('\n');
    std::string_view line = trim(head.substr(0, lineEnd));
    std::size_t sp1 = line.find(' ');
    std::size_t sp2 = line.rfind(' ');
    if (sp1 == std::string_view::npos || sp2 == sp1)
        return ParseStatus::Invalid;
    request = HttpRequest{};
    request.method = std::string(line.substr(0, sp1));
    request.target = std::string(trim(line.substr(sp1 + 1, sp2 - sp1 - 1)));
    request.version = std::string(line.substr(sp2 + 1));
    if (request.target.empty() || !request.version.starts_with("HTTP/"))
        return ParseStatus::Invalid;
    std::size_t qm = request.target.find('?');
    request.path = request.target.substr(0, qm);
    if (qm != std::string::npos)
        request.query = request.target.substr(qm + 1);

    std::size_t pos = lineEnd + 1;
    while (pos < head.size()) {
        std::size_t next = head.find('\n', pos);
        std::string_view field = trim(head.substr(pos, next - pos));
        pos = next + 1;
        if (field.empty())
            break;
        std::size_t colon = field.find(':');
        if (colon == std::string_view::npos || colon == 0)
            return ParseStatus::Invalid;
        request.headers.emplace_back(std::string(trim(field.substr(0, colon))),
                                     std::string(trim(field.substr(colon + 1))));
    }
    headLength = end;
    return ParseStatus::Complete;
}

} // namespace camsim
