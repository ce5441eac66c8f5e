#include "GarbageCamera.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <random>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace viewbench {

namespace {

constexpr int kPollMs = 100;
constexpr std::size_t kMaxRequestBytes = 8192;
// How long one broken answer goes on at most before the connection is dropped.
constexpr auto kAnswerTime = std::chrono::seconds(4);

bool sendAll(int fd, const void* data, std::size_t size)
{
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::send(fd, p, size, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool sendText(int fd, const std::string& text)
{
    return sendAll(fd, text.data(), text.size());
}

} // namespace

GarbageCamera::~GarbageCamera()
{
    stop();
}

bool GarbageCamera::start(const std::string& address, std::uint16_t port, std::uint32_t seed,
                          std::string* error)
{
    m_seed = seed;
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(port);
    if (m_listen < 0 || ::inet_pton(AF_INET, address.c_str(), &at.sin_addr) != 1 ||
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 ||
        ::listen(m_listen, 8) != 0) {
        if (error)
            *error = address + ":" + std::to_string(port) + ": " + std::strerror(errno);
        if (m_listen >= 0)
            ::close(m_listen);
        m_listen = -1;
        return false;
    }
    m_thread = std::thread([this] { serve(); });
    return true;
}

void GarbageCamera::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_listen >= 0)
        ::close(m_listen);
    m_listen = -1;
}

void GarbageCamera::serve()
{
    while (!m_stop) {
        pollfd p{m_listen, POLLIN, 0};
        if (::poll(&p, 1, kPollMs) <= 0)
            continue;
        const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        ++m_connections;
        timeval limit{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        answer(fd);
        ::close(fd);
    }
}

void GarbageCamera::answer(int fd)
{
    // The request is read (bounded) and ignored.
    std::string request;
    char buffer[1024];
    const auto readUntil = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < kMaxRequestBytes &&
           std::chrono::steady_clock::now() < readUntil && !m_stop) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kPollMs) <= 0)
            continue;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        request.append(buffer, static_cast<std::size_t>(n));
    }
    std::mt19937 random(m_seed + static_cast<std::uint32_t>(m_connections));
    auto noise = [&](std::size_t size) {
        std::vector<unsigned char> bytes(size);
        for (unsigned char& b : bytes)
            b = static_cast<unsigned char>(random());
        return bytes;
    };
    const std::string streamHeader = "HTTP/1.0 200 OK\r\nContent-Type: multipart/x-mixed-replace; "
                                     "boundary=garbage\r\n\r\n";
    const auto until = std::chrono::steady_clock::now() + kAnswerTime;
    auto going = [&] {
        return !m_stop && std::chrono::steady_clock::now() < until;
    };
    switch (random() % 5) {
    case 0: { // no HTTP at all
        const auto bytes = noise(64 * 1024);
        sendAll(fd, bytes.data(), bytes.size());
        break;
    }
    case 1: // parts of random bytes, some starting like a JPEG
        if (!sendText(fd, streamHeader))
            return;
        while (going()) {
            auto bytes = noise(1000 + random() % 60000);
            if (random() % 2) {
                bytes[0] = 0xFF;
                bytes[1] = 0xD8;
                bytes[2] = 0xFF;
            }
            const std::string head = "--garbage\r\nContent-Type: image/jpeg\r\nContent-Length: " +
                                     std::to_string(bytes.size()) + "\r\n\r\n";
            if (!sendText(fd, head) || !sendAll(fd, bytes.data(), bytes.size()) ||
                !sendText(fd, "\r\n"))
                return;
            ::usleep(40000);
        }
        break;
    case 2: { // a stream header, then noise without any boundary
        if (!sendText(fd, streamHeader))
            return;
        for (int i = 0; i < 16 && going(); ++i) {
            const auto bytes = noise(64 * 1024);
            if (!sendAll(fd, bytes.data(), bytes.size()))
                return;
        }
        break;
    }
    case 3: // a part that claims to be huge, then the connection ends
        sendText(fd, streamHeader + "--garbage\r\nContent-Type: image/jpeg\r\nContent-Length: "
                                    "4000000000\r\n\r\n\xFF\xD8\xFF\xE0");
        break;
    default: { // endless header lines
        if (!sendText(fd, "HTTP/1.0 200 OK\r\n"))
            return;
        while (going()) {
            const auto bytes = noise(200);
            std::string line = "X-Noise: ";
            for (unsigned char b : bytes)
                line += static_cast<char>('a' + b % 26);
            if (!sendText(fd, line + "\r\n"))
                return;
        }
        break;
    }
    }
}

} // namespace viewbench
