#include "tools/camsim/SocketServer.h"

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace camsim {

struct ConnectionRecord {
    int fd = -1; // guarded by the server's mutex; -1 once closed by a reset
    std::thread thread;
    std::atomic<bool> finished{false};
};

void Connection::close(CloseMode mode)
{
    m_server.closeConnection(m_record, mode);
}

void Connection::interrupt()
{
    m_server.interruptConnection(m_record);
}

SocketServer::SocketServer() = default;

SocketServer::~SocketServer()
{
    stop();
}

int SocketServer::listen(const std::string& address, std::uint16_t port, Handler handler)
{
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    if (inet_pton(AF_INET, address.c_str(), &addr.sin_addr) != 1)
        return EINVAL;

    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return errno;
    // Lets the next test take an address whose earlier connections linger in TIME_WAIT; a
    // second listener on the same address still fails with EADDRINUSE.
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 64) != 0) {
        int error = errno;
        ::close(fd);
        return error;
    }

    auto listener = std::make_unique<Listener>();
    listener->fd = fd;
    listener->port = port;
    listener->handler = std::move(handler);
    Listener* raw = listener.get();
    {
        std::lock_guard lock(m_mutex);
        m_listeners.push_back(std::move(listener));
    }
    raw->thread = std::thread([this, raw] { acceptLoop(*raw); });
    return 0;
}

void SocketServer::acceptLoop(Listener& listener)
{
    // A write to a peer that has gone raises SIGPIPE in the writing thread; TLS writes cannot
    // pass MSG_NOSIGNAL, so every thread of the server blocks it (connection threads inherit
    // this mask) and the write fails with EPIPE instead.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);

    for (;;) {
        int fd = ::accept4(listener.fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                std::lock_guard lock(m_mutex);
                if (m_stopping)
                    return;
                continue;
            }
            return; // shut down by stop()
        }
        int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        reapFinished();

        std::lock_guard lock(m_mutex);
        if (m_stopping) {
            ::close(fd);
            return;
        }
        auto record = std::make_unique<Record>();
        record->fd = fd;
        Record* raw = record.get();
        m_records.push_back(std::move(record));
        raw->thread = std::thread([this, raw, fd, &listener] {
            Connection connection(*this, *raw, fd, listener.port);
            listener.handler(connection);
            // Close at once, so the client sees the end without waiting for the reaper.
            {
                std::lock_guard lock(m_mutex);
                if (raw->fd >= 0) {
                    ::close(raw->fd);
                    raw->fd = -1;
                }
            }
            raw->finished = true;
        });
    }
}

void SocketServer::reapFinished()
{
    std::list<std::unique_ptr<Record>> done;
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_records.begin(); it != m_records.end();) {
            auto next = std::next(it);
            if ((*it)->finished)
                done.splice(done.end(), m_records, it);
            it = next;
        }
    }
    for (auto& record : done) {
        record->thread.join();
        if (record->fd >= 0)
            ::close(record->fd);
    }
}

void SocketServer::closeConnection(Record& record, CloseMode mode)
{
    std::lock_guard lock(m_mutex);
    if (record.fd < 0)
        return;
    if (mode == CloseMode::Reset) {
        linger abortive{1, 0};
        setsockopt(record.fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
        ::close(record.fd);
        record.fd = -1;
    } else {
        ::shutdown(record.fd, SHUT_RDWR);
    }
}

void SocketServer::interruptConnection(Record& record)
{
    std::lock_guard lock(m_mutex);
    if (record.fd >= 0)
        ::shutdown(record.fd, SHUT_RD);
}

void SocketServer::stop()
{
    std::list<std::unique_ptr<Record>> records;
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping)
            return;
        m_stopping = true;
        for (auto& listener : m_listeners)
            ::shutdown(listener->fd, SHUT_RDWR);
        for (auto& record : m_records)
            if (record->fd >= 0)
                ::shutdown(record->fd, SHUT_RDWR);
    }
    for (auto& listener : m_listeners) {
        listener->thread.join();
        ::close(listener->fd);
    }
    // No accept thread is left to add records.
    {
        std::lock_guard lock(m_mutex);
        records.swap(m_records);
    }
    for (auto& record : records) {
        record->thread.join();
        if (record->fd >= 0)
            ::close(record->fd);
    }
}

} // namespace camsim
