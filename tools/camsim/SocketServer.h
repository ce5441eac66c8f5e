#pragma once
// Listening sockets and the threads that serve them: one accept thread per port and one
// thread per connection, all owned here and joined by stop(). stop() shuts every socket down,
// which ends blocked accepts, reads and writes, so it returns promptly with clients connected.

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace camsim {

class SocketServer;
struct ConnectionRecord; // the server's bookkeeping of one connection

enum class CloseMode { Fin, Reset };

// One accepted connection, as its handler sees it. Valid for the duration of the handler call.
class Connection {
public:
    int fd() const { return m_fd; }
    std::uint16_t localPort() const { return m_port; }
    // Ends the connection: an orderly FIN, or a reset (RST) that drops what is unsent. The
    // handler must not use the socket afterwards; called on the connection's thread.
    void close(CloseMode mode);
    // Makes a read blocked on the connection return 0, so that its thread notices a decision
    // taken elsewhere. Any thread, while the handler runs.
    void interrupt();

private:
    friend class SocketServer;
    Connection(SocketServer& server, ConnectionRecord& record, int fd, std::uint16_t port)
        : m_server(server), m_record(record), m_fd(fd), m_port(port)
    {}
    SocketServer& m_server;
    ConnectionRecord& m_record;
    int m_fd;
    std::uint16_t m_port;
};

class SocketServer {
public:
    using Handler = std::function<void(Connection&)>; // called on the connection's thread

    SocketServer();
    ~SocketServer();
    SocketServer(const SocketServer&) = delete;
    SocketServer& operator=(const SocketServer&) = delete;

    // Binds address:port and starts its accept thread. 0 on success, else an errno value
    // (EADDRINUSE when another camera has the address).
    int listen(const std::string& address, std::uint16_t port, Handler handler);
    // Idempotent; joins every thread before it returns.
    void stop();

private:
    friend class Connection;
    struct Listener {
        int fd = -1;
        std::uint16_t port = 0;
        Handler handler;
        std::thread thread;
    };
    using Record = ConnectionRecord;

    void acceptLoop(Listener& listener);
    void reapFinished();
    void closeConnection(Record& record, CloseMode mode);
    void interruptConnection(Record& record);

    std::mutex m_mutex; // guards m_records, Record::fd and m_stopping
    bool m_stopping = false;
    std::vector<std::unique_ptr<Listener>> m_listeners; // changed only before stop()
    std::list<std::unique_ptr<Record>> m_records;
};

} // namespace camsim
