#include "client/BannerExchange.h"

#include "client/Log.h"
#include "client/ModuleState.h"
#include "platform/base/HostAliases.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace lumin {

std::unique_ptr<BannerExchange> BannerExchange::create()
{
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socket < 0)
        return nullptr;
    const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake < 0) {
        ::close(socket);
        return nullptr;
    }
    return std::unique_ptr<BannerExchange>(new BannerExchange(socket, wake));
}

BannerExchange::~BannerExchange()
{
    if (m_thread.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_wake, &one, sizeof one);
        m_thread.join();
    }
    ::close(m_socket);
    ::close(m_wake);
}

bool BannerExchange::start(const sockaddr_in& address)
{
    try {
        m_thread = std::thread(&BannerExchange::threadFuncIdentify, this, address);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

bool BannerExchange::waitFinished(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_finishedChanged.wait_for(lock, timeout, [this] { return m_finished; });
}

std::string BannerExchange::banner() const
{
    std::lock_guard lock(m_mutex);
    return m_banner;
}

bool BannerExchange::waitSocket(short events)
{
    pollfd fds[2] = {{m_socket, events, 0}, {m_wake, POLLIN, 0}};
    for (;;) {
        const int n = ::poll(fds, 2, -1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || (fds[1].revents & POLLIN))
            return false;
        return fds[0].revents != 0;
    }
}

// Called on the identify thread; touches only the socket and its own buffer until it
// publishes the banner.
void BannerExchange::threadFuncIdentify(sockaddr_in address)
{
    std::string banner;
    bool connected =
        ::connect(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (!connected && errno == EINPROGRESS && waitSocket(POLLOUT)) {
        int error = 0;
        socklen_t size = sizeof error;
        connected = ::getsockopt(m_socket, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
    }
    if (!connected) {
        logLine(LogFailure, "ThreadFuncIdentify: connect failed");
    } else {
        // The greeting may come in several segments: read until its line ends, the buffer is
        // full or the camera closes; the caller's time-out bounds the whole exchange.
        char buffer[kBannerBufferSize];
        std::size_t have = 0;
        bool lineEnded = false;
        while (!lineEnded && have < kBannerBufferSize && waitSocket(POLLIN)) {
            const ssize_t n = ::recv(m_socket, buffer + have, kBannerBufferSize - have, 0);
            if (n < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            if (n <= 0)
                break;
            lineEnded = std::memchr(buffer + have, '\n', static_cast<std::size_t>(n)) != nullptr;
            have += static_cast<std::size_t>(n);
        }
        // The greeting is text: it ends at a zero byte.
        banner.assign(buffer, strnlen(buffer, have));
        static constexpr char kQuit[] = "QUIT\r\n";
        [[maybe_unused]] const ssize_t sent =
            ::send(m_socket, kQuit, sizeof kQuit - 1, MSG_NOSIGNAL);
    }
    std::lock_guard lock(m_mutex);
    m_banner = std::move(banner);
    m_finished = true;
    m_finishedChanged.notify_all();
}

bool resolveIdentifyHost(const std::string& host, sockaddr_in* address)
{
    std::memset(address, 0, sizeof *address);
    address->sin_family = AF_INET;
    address->sin_port = htons(kIdentifyPort);
    const std::string name = host.substr(0, host.find(':'));
    if (::inet_pton(AF_INET, name.c_str(), &address->sin_addr) == 1)
        return true;
    if (name.empty())
        return false;
    if (const auto alias = hostAlias(name))
        return ::inet_pton(AF_INET, alias->c_str(), &address->sin_addr) == 1;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found)
        return false;
    address->sin_addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    ::freeaddrinfo(found);
    return true;
}

} // namespace lumin
