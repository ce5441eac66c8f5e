#include "platform/http/tests/TestServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orvel::http::test {

namespace {

bool iequals(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r'))
        s.remove_suffix(1);
    return std::string(s);
}

std::string md5Hex(const std::string& s)
{
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    EVP_Digest(s.data(), s.size(), md, &len, EVP_md5(), nullptr);
    std::string out;
    char hex[3];
    for (unsigned i = 0; i < len; ++i) {
        std::snprintf(hex, sizeof hex, "%02x", md[i]);
        out += hex;
    }
    return out;
}

std::string digestParam(const std::string& h, const std::string& name)
{
    std::size_t pos = 0;
    while ((pos = h.find(name + "=", pos)) != std::string::npos) {
        if (pos == 0 || h[pos - 1] == ' ' || h[pos - 1] == ',') {
            std::size_t v = pos + name.size() + 1;
            if (v < h.size() && h[v] == '"')
                return h.substr(v + 1, h.find('"', v + 1) - v - 1);
            return h.substr(v, h.find_first_of(", ", v) - v);
        }
        ++pos;
    }
    return {};
}

// A fresh P-256 key and a self-signed certificate for 127.0.0.1, valid for a day.
SSL_CTX* makeServerContext(std::string& fingerprint)
{
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* cert = X509_new();
    ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert), -60);
    X509_gmtime_adj(X509_getm_notAfter(cert), 86400);
    X509_set_pubkey(cert, key);
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
    X509_set_issuer_name(cert, name);
    X509_sign(cert, key, EVP_sha256());
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    X509_digest(cert, EVP_sha256(), md, &len);
    char hex[4];
    for (unsigned i = 0; i < len; ++i) {
        std::snprintf(hex, sizeof hex, i ? ":%02X" : "%02X", md[i]);
        fingerprint += hex;
    }
    SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
    SSL_CTX_use_certificate(ctx, cert);
    SSL_CTX_use_PrivateKey(ctx, key);
    X509_free(cert);
    EVP_PKEY_free(key);
    return ctx;
}

} // namespace

std::string RequestHead::header(std::string_view name) const
{
    for (const auto& [n, v] : headers)
        if (iequals(n, name))
            return v;
    return {};
}

bool RequestHead::has(std::string_view name) const
{
    return std::any_of(headers.begin(), headers.end(),
                       [&](const auto& h) { return iequals(h.first, name); });
}

Peer::Peer(int fd, ssl_st* ssl, const std::atomic<bool>& stopping)
    : m_fd(fd), m_ssl(ssl), m_stopping(stopping)
{}

Peer::~Peer()
{
    close();
}

void Peer::close()
{
    if (m_closed)
        return;
    m_closed = true;
    if (m_ssl != nullptr)
        SSL_shutdown(m_ssl);
    ::shutdown(m_fd, SHUT_RDWR);
}

bool Peer::fill()
{
    if (m_closed)
        return false;
    char buf[8192];
    for (;;) {
        if (m_stopping.load())
            return false;
        pollfd p{m_fd, POLLIN, 0};
        if (m_ssl == nullptr || SSL_pending(m_ssl) == 0) {
            const int r = ::poll(&p, 1, 100);
            if (r == 0)
                continue;
            if (r < 0)
                return false;
        }
        const long n = m_ssl ? SSL_read(m_ssl, buf, sizeof buf) : ::recv(m_fd, buf, sizeof buf, 0);
        if (n <= 0)
            return false;
        m_in.append(buf, static_cast<std::size_t>(n));
        return true;
    }
}

std::optional<RequestHead> Peer::readHead()
{
    std::size_t end;
    while ((end = m_in.find("\r\n\r\n")) == std::string::npos)
        if (!fill())
            return std::nullopt;
    std::string block = m_in.substr(0, end + 2);
    m_in.erase(0, end + 4);
    RequestHead head;
    std::size_t pos = block.find("\r\n");
    const std::string line = block.substr(0, pos);
    const std::size_t sp1 = line.find(' ');
    const std::size_t sp2 = line.find(' ', sp1 + 1);
    head.method = line.substr(0, sp1);
    head.target = line.substr(sp1 + 1, sp2 - sp1 - 1);
    pos += 2;
    while (pos < block.size()) {
        const std::size_t next = block.find("\r\n", pos);
        const std::string h = block.substr(pos, next - pos);
        const std::size_t colon = h.find(':');
        if (colon != std::string::npos)
            head.headers.emplace_back(trim(h.substr(0, colon)), trim(h.substr(colon + 1)));
        pos = next + 2;
    }
    return head;
}

std::optional<std::string> Peer::readBody(std::size_t n)
{
    while (m_in.size() < n)
        if (!fill())
            return std::nullopt;
    std::string body = m_in.substr(0, n);
    m_in.erase(0, n);
    return body;
}

bool Peer::write(std::string_view bytes)
{
    while (!bytes.empty() && !m_closed) {
        const long n = m_ssl ? SSL_write(m_ssl, bytes.data(), static_cast<int>(bytes.size()))
                             : ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return !m_closed;
}

bool Peer::respond(int code, std::string_view body, std::string_view extraHeaders)
{
    std::string out = "HTTP/1.1 " + std::to_string(code) + (code == 200 ? " OK" : " Status") +
                      "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
    out += extraHeaders;
    out += "\r\n";
    out += body;
    return write(out);
}

TestServer::TestServer(Handler handler, Tls tls) : m_handler(std::move(handler)), m_tls(tls)
{
    if (m_tls == Tls::SelfSigned)
        m_sslCtx = makeServerContext(m_fingerprint);
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(m_listen, 16);
    socklen_t len = sizeof addr;
    ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_acceptor = std::thread([this] { acceptLoop(); });
}

TestServer::~TestServer()
{
    m_stopping = true;
    ::shutdown(m_listen, SHUT_RDWR);
    m_acceptor.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(m_mutex);
        for (int fd : m_fds)
            ::shutdown(fd, SHUT_RDWR);
        workers = std::move(m_workers);
    }
    for (auto& t : workers)
        t.join();
    ::close(m_listen);
    if (m_sslCtx != nullptr)
        SSL_CTX_free(static_cast<SSL_CTX*>(m_sslCtx));
}

std::string TestServer::url(std::string_view path) const
{
    return std::string(m_tls == Tls::SelfSigned ? "https" : "http") +
           "://127.0.0.1:" + std::to_string(m_port) + std::string(path);
}

void TestServer::acceptLoop()
{
    while (!m_stopping.load()) {
        pollfd p{m_listen, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        ++m_accepted;
        std::lock_guard lock(m_mutex);
        m_fds.push_back(fd);
        m_workers.emplace_back([this, fd] { serve(fd); });
    }
}

void TestServer::serve(int fd)
{
    ++m_open;
    SSL* ssl = nullptr;
    bool ok = true;
    if (m_sslCtx != nullptr) {
        ssl = SSL_new(static_cast<SSL_CTX*>(m_sslCtx));
        SSL_set_fd(ssl, fd);
        ok = SSL_accept(ssl) == 1;
    }
    if (ok) {
        Peer peer(fd, ssl, m_stopping);
        while (!peer.closed()) {
            const std::optional<RequestHead> head = peer.readHead();
            if (!head)
                break;
            m_handler(peer, *head);
        }
    }
    if (ssl != nullptr)
        SSL_free(ssl);
    {
        std::lock_guard lock(m_mutex);
        m_fds.erase(std::remove(m_fds.begin(), m_fds.end(), fd), m_fds.end());
        ::close(fd);
    }
    --m_open;
}

bool digestMatches(const std::string& authorization, const std::string& method,
                   const std::string& user, const std::string& password)
{
    if (authorization.rfind("Digest ", 0) != 0)
        return false;
    const std::string h = authorization.substr(7);
    if (digestParam(h, "username") != user)
        return false;
    const std::string ha1 = md5Hex(user + ":" + digestParam(h, "realm") + ":" + password);
    const std::string ha2 = md5Hex(method + ":" + digestParam(h, "uri"));
    const std::string expected =
        md5Hex(ha1 + ":" + digestParam(h, "nonce") + ":" + digestParam(h, "nc") + ":" +
               digestParam(h, "cnonce") + ":" + digestParam(h, "qop") + ":" + ha2);
    return digestParam(h, "response") == expected;
}

} // namespace orvel::http::test
