#pragma once
// The byte stream of one connection, plain or TLS, so the HTTP side never knows which.

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace camsim {

class Channel {
public:
    virtual ~Channel() = default;
    // Up to size bytes; 0 when the peer closed, the connection broke or the server stopped.
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
    // All bytes or false.
    virtual bool write(const char* data, std::size_t size) = 0;
    // All pieces, in order, or false; a plain socket sends them without joining them first.
    virtual bool write(std::span<const std::string_view> pieces)
    {
        for (std::string_view piece : pieces)
            if (!write(piece.data(), piece.size()))
                return false;
        return true;
    }
    // Orderly end before the socket is closed (TLS close_notify); nothing for plain sockets.
    virtual void finish() {}
};

std::unique_ptr<Channel> makeSocketChannel(int fd);

// A self-signed certificate for one address and the TLS server context built on it.
class TlsContext {
public:
    static std::unique_ptr<TlsContext> create(const std::string& commonName, std::string* error);
    ~TlsContext();
    TlsContext(const TlsContext&) = delete;
    TlsContext& operator=(const TlsContext&) = delete;

    // Runs the server handshake on fd; null when it fails. Called on the connection's thread.
    std::unique_ptr<Channel> accept(int fd);

private:
    explicit TlsContext(void* ctx) : m_ctx(ctx) {}
    void* m_ctx; // SSL_CTX, kept opaque so OpenSSL stays out of this header
};

} // namespace camsim
