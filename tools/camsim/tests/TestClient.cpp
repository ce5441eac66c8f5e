#include "tools/camsim/tests/TestClient.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <turbojpeg.h>
#include <unistd.h>

namespace camsim::test {

RawClient::RawClient(const std::string& address, std::uint16_t port)
{
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    inet_pton(AF_INET, address.c_str(), &addr.sin_addr);
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd >= 0 && ::connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

RawClient::~RawClient()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool RawClient::send(const std::string& bytes)
{
    return m_fd >= 0 && ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
                            static_cast<ssize_t>(bytes.size());
}

bool RawClient::get(const std::string& target, const std::string& extraHeaders)
{
    return send("GET " + target + " HTTP/1.0\r\nHost: camera\r\n" + extraHeaders + "\r\n");
}

bool RawClient::readOnce(std::chrono::milliseconds timeout)
{
    pollfd p{m_fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(timeout.count())) <= 0)
        return false;
    char buffer[65536];
    ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
    if (n <= 0) {
        m_closed = true;
        m_error = n < 0 ? errno : 0;
        return true;
    }
    m_received.append(buffer, static_cast<std::size_t>(n));
    m_chunkEnds.push_back(m_received.size());
    return true;
}

bool RawClient::readUntil(const std::function<bool(const std::string&)>& done,
                          std::chrono::milliseconds timeout)
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done(m_received)) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (m_fd < 0 || m_closed || left.count() <= 0 || !readOnce(left))
            return done(m_received);
    }
    return true;
}

bool RawClient::readUntilClosed(std::chrono::milliseconds timeout)
{
    readUntil([this](const std::string&) { return m_closed; }, timeout);
    return m_closed;
}

bool RawClient::staysQuiet(std::chrono::milliseconds quiet)
{
    std::size_t before = m_received.size();
    readUntil([&](const std::string& bytes) { return bytes.size() != before; }, quiet);
    return m_received.size() == before && !m_closed;
}

std::string Reply::header(const std::string& name) const
{
    for (const auto& [key, value] : headers)
        if (strcasecmp(key.c_str(), name.c_str()) == 0)
            return value;
    return {};
}

std::string Part::header(const std::string& name) const
{
    for (const auto& [key, value] : headers)
        if (strcasecmp(key.c_str(), name.c_str()) == 0)
            return value;
    return {};
}

namespace {

// Header lines up to the empty line; returns the offset after it, or npos.
std::size_t parseHeaders(const std::string& bytes, std::size_t pos,
                         std::vector<std::pair<std::string, std::string>>& headers)
{
    for (;;) {
        std::size_t end = bytes.find('\n', pos);
        if (end == std::string::npos)
            return std::string::npos;
        std::string line = bytes.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        pos = end + 1;
        if (line.empty())
            return pos;
        std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::size_t value = line.find_first_not_of(' ', colon + 1);
        headers.emplace_back(line.substr(0, colon),
                             value == std::string::npos ? "" : line.substr(value));
    }
}

} // namespace

bool parseReply(const std::string& bytes, Reply& reply)
{
    std::size_t lineEnd = bytes.find("\r\n");
    if (lineEnd == std::string::npos)
        return false;
    reply = Reply{};
    reply.statusLine = bytes.substr(0, lineEnd);
    std::size_t space = reply.statusLine.find(' ');
    if (space != std::string::npos)
        reply.status = std::atoi(reply.statusLine.c_str() + space + 1);
    std::size_t bodyStart = parseHeaders(bytes, lineEnd + 2, reply.headers);
    if (bodyStart == std::string::npos)
        return false;
    reply.body = bytes.substr(bodyStart);
    return true;
}

Reply fetch(const std::string& address, std::uint16_t port, const std::string& target,
            const std::string& extraHeaders)
{
    RawClient client(address, port);
    Reply reply;
    if (client.get(target, extraHeaders) && client.readUntilClosed())
        parseReply(client.received(), reply);
    return reply;
}

std::vector<Part> splitParts(const std::string& body, const std::string& marker)
{
    std::vector<Part> parts;
    std::size_t at = body.find(marker);
    while (at != std::string::npos) {
        Part part;
        std::size_t lineEnd = body.find('\n', at);
        if (lineEnd == std::string::npos)
            break;
        std::size_t start = parseHeaders(body, lineEnd + 1, part.headers);
        if (start == std::string::npos)
            break;
        std::size_t next = body.find(marker, start);
        if (next == std::string::npos)
            break;
        std::size_t end = next;
        if (end > start && body[end - 1] == '\n')
            --end;
        if (end > start && body[end - 1] == '\r')
            --end;
        part.body = body.substr(start, end - start);
        parts.push_back(std::move(part));
        at = next;
    }
    return parts;
}

std::size_t countOf(const std::string& text, const std::string& needle)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos;
         at = text.find(needle, at + needle.size()))
        ++count;
    return count;
}

Picture decodeJpeg(const std::string& jpeg)
{
    Picture picture;
    tjhandle handle = tjInitDecompress();
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    auto data = reinterpret_cast<const unsigned char*>(jpeg.data());
    if (handle && tjDecompressHeader3(handle, data, jpeg.size(), &width, &height, &subsampling,
                                      &colourspace) == 0) {
        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
        if (tjDecompress2(handle, data, jpeg.size(), rgb.data(), width, 0, height, TJPF_RGB, 0) ==
            0) {
            picture.width = width;
            picture.height = height;
            picture.rgb = std::move(rgb);
        }
    }
    if (handle)
        tjDestroy(handle);
    return picture;
}

} // namespace camsim::test
