#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for the HTTP layer's tests: each accepted connection
// runs on its own thread and hands every request to the test's handler. Optionally TLS with
// a self-signed certificate made at start.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

using ssl_st = struct ssl_st;

namespace orvel::http::test {

struct RequestHead {
    std::string method;
    std::string target;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string header(std::string_view name) const; // "" when absent
    bool has(std::string_view name) const;
};

class Peer {
public:
    Peer(int fd, ssl_st* ssl, const std::atomic<bool>& stopping);
    ~Peer();
    std::optional<RequestHead> readHead();
    // Exactly n body bytes, or nullopt when the client went away.
    std::optional<std::string> readBody(std::size_t n);
    bool write(std::string_view bytes);
    // Status line, Content-Length, the extra lines ("Name: value\r\n"...), body.
    bool respond(int code, std::string_view body, std::string_view extraHeaders = {});
    void close();
    bool closed() const { return m_closed; }
    bool stopping() const { return m_stopping.load(); }

private:
    bool fill();
    int m_fd;
    ssl_st* m_ssl;
    const std::atomic<bool>& m_stopping;
    std::string m_in;
    bool m_closed = false;
};

using Handler = std::function<void(Peer&, const RequestHead&)>;

class TestServer {
public:
    enum class Tls { No, SelfSigned };
    explicit TestServer(Handler handler, Tls tls = Tls::No);
    ~TestServer();

    std::uint16_t port() const { return m_port; }
    std::string url(std::string_view path = "/") const;
    int openConnections() const { return m_open.load(); }
    int acceptedConnections() const { return m_accepted.load(); }
    // SHA-256 fingerprint of the certificate, in the form the HTTP layer reports.
    const std::string& fingerprint() const { return m_fingerprint; }

private:
    void acceptLoop();
    void serve(int fd);

    Handler m_handler;
    Tls m_tls;
    void* m_sslCtx = nullptr;
    std::string m_fingerprint;
    int m_listen = -1;
    std::uint16_t m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_open{0};
    std::atomic<int> m_accepted{0};
    std::mutex m_mutex;
    std::vector<int> m_fds;             // guarded by m_mutex
    std::vector<std::thread> m_workers; // guarded by m_mutex
    std::thread m_acceptor;
};

// Digest (RFC 2617, qop=auth, MD5) check of an Authorization header, for the test server.
bool digestMatches(const std::string& authorization, const std::string& method,
                   const std::string& user, const std::string& password);

} // namespace orvel::http::test
