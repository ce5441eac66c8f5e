#include "tools/camsim/Channel.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <vector>

namespace camsim {
namespace {

class SocketChannel final : public Channel {
public:
    explicit SocketChannel(int fd) : m_fd(fd) {}

    std::size_t read(char* buffer, std::size_t size) override
    {
        for (;;) {
            ssize_t n = ::recv(m_fd, buffer, size, 0);
            if (n >= 0)
                return static_cast<std::size_t>(n);
            if (errno != EINTR)
                return 0;
        }
    }

    using Channel::write;

    bool write(std::span<const std::string_view> pieces) override
    {
        m_vector.clear();
        for (std::string_view piece : pieces)
            if (!piece.empty())
                m_vector.push_back({const_cast<char*>(piece.data()), piece.size()});
        std::size_t first = 0;
        while (first < m_vector.size()) {
            msghdr message{};
            message.msg_iov = m_vector.data() + first;
            message.msg_iovlen = std::min<std::size_t>(m_vector.size() - first, IOV_MAX);
            ssize_t n = ::sendmsg(m_fd, &message, MSG_NOSIGNAL);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            // Skip what went out; a piece sent in part keeps its rest.
            auto left = static_cast<std::size_t>(n);
            while (first < m_vector.size() && left >= m_vector[first].iov_len)
                left -= m_vector[first++].iov_len;
            if (left > 0) {
                m_vector[first].iov_base = static_cast<char*>(m_vector[first].iov_base) + left;
                m_vector[first].iov_len -= left;
            }
        }
        return true;
    }

    bool write(const char* data, std::size_t size) override
    {
        while (size > 0) {
            ssize_t n = ::send(m_fd, data, size, MSG_NOSIGNAL);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            data += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    int m_fd;
    std::vector<iovec> m_vector; // reused by every gathered write
};

class TlsChannel final : public Channel {
public:
    explicit TlsChannel(SSL* ssl) : m_ssl(ssl) {}
    ~TlsChannel() override { SSL_free(m_ssl); }

    std::size_t read(char* buffer, std::size_t size) override
    {
        int n = SSL_read(m_ssl, buffer, static_cast<int>(size));
        return n > 0 ? static_cast<std::size_t>(n) : 0;
    }

    bool write(const char* data, std::size_t size) override
    {
        while (size > 0) {
            int n = SSL_write(m_ssl, data, static_cast<int>(size));
            if (n <= 0)
                return false;
            data += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }

    void finish() override { SSL_shutdown(m_ssl); }

private:
    SSL* m_ssl;
};

struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertFree {
    void operator()(X509* cert) const { X509_free(cert); }
};

} // namespace

std::unique_ptr<Channel> makeSocketChannel(int fd)
{
    return std::make_unique<SocketChannel>(fd);
}

std::unique_ptr<TlsContext> TlsContext::create(const std::string& commonName, std::string* error)
{
    auto fail = [error](const char* what) {
        if (error)
            *error = what;
        ERR_clear_error();
        return nullptr;
    };
    // An EC key: generating it takes milliseconds, where RSA would slow every test start.
    std::unique_ptr<EVP_PKEY, KeyFree> key(EVP_EC_gen("P-256"));
    if (!key)
        return fail("cannot generate the TLS key");
    std::unique_ptr<X509, CertFree> cert(X509_new());
    if (!cert)
        return fail("cannot create the certificate");
    X509_set_version(cert.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 3600L * 24 * 365);
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("Camera simulator"), -1, -1,
                               0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1,
                               0);
    X509_set_issuer_name(cert.get(), name);
    X509_set_pubkey(cert.get(), key.get());
    if (X509_sign(cert.get(), key.get(), EVP_sha256()) == 0)
        return fail("cannot sign the certificate");

    SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
    if (!ctx)
        return fail("cannot create the TLS context");
    if (SSL_CTX_use_certificate(ctx, cert.get()) != 1 ||
        SSL_CTX_use_PrivateKey(ctx, key.get()) != 1) {
        SSL_CTX_free(ctx);
        return fail("cannot load the certificate");
    }
    return std::unique_ptr<TlsContext>(new TlsContext(ctx));
}

TlsContext::~TlsContext()
{
    SSL_CTX_free(static_cast<SSL_CTX*>(m_ctx));
}

std::unique_ptr<Channel> TlsContext::accept(int fd)
{
    SSL* ssl = SSL_new(static_cast<SSL_CTX*>(m_ctx));
    if (!ssl)
        return nullptr;
    SSL_set_fd(ssl, fd);
    if (SSL_accept(ssl) != 1) {
        SSL_free(ssl);
        ERR_clear_error();
        return nullptr;
    }
    return std::make_unique<TlsChannel>(ssl);
}

} // namespace camsim
