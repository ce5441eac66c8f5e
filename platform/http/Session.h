#pragma once
// The root of every HTTP conversation: agent name, proxy choice, time-outs and the status
// callback. Connections name a server and its credentials; requests do the work (Request.h).

#include "platform/http/HttpStatus.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>

namespace orvel::http {

class Connection;

enum class ProxyMode {
    Preconfigured, // http_proxy, https_proxy, all_proxy and no_proxy from the environment
    Direct,        // never a proxy, whatever the environment says
    Named,         // Session::Options::proxyUrl
};

enum class CertificateCheck {
    Verify, // untrusted certificates fail with HttpError::InvalidCa until a prompt accepts them
    AcceptAny,
};

// Sets up the libraries underneath once per process. Session::create calls it, so it runs on
// the thread that makes the first session (usually the main thread): the TLS library keeps
// per-thread state of the thread it starts on.
void initializeHttpLibrary();

// True when the environment names a proxy for plain HTTP.
bool proxyConfigured();

class Session : public std::enable_shared_from_this<Session> {
public:
    struct Options {
        std::string agent = "Orvel";
        ProxyMode proxy = ProxyMode::Preconfigured;
        std::string proxyUrl;
        std::chrono::milliseconds connectTimeout{60000};
        // Longest silence allowed while waiting for a response or for body bytes.
        std::chrono::milliseconds receiveTimeout{60000};
        CertificateCheck certificates = CertificateCheck::Verify;
    };

    static std::shared_ptr<Session> create(Options options);
    static std::shared_ptr<Session> create() { return create(Options{}); }
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Replaces the status callback; an empty function removes it. A report already running
    // on another thread may still finish after this returns.
    void setStatusCallback(StatusCallback callback);

    void setConnectTimeout(std::chrono::milliseconds ms) { m_connectTimeoutMs = ms.count(); }
    void setReceiveTimeout(std::chrono::milliseconds ms) { m_receiveTimeoutMs = ms.count(); }
    std::chrono::milliseconds connectTimeout() const
    {
        return std::chrono::milliseconds(m_connectTimeoutMs.load());
    }
    std::chrono::milliseconds receiveTimeout() const
    {
        return std::chrono::milliseconds(m_receiveTimeoutMs.load());
    }

    const Options& options() const { return m_options; }

    // Names a server; nothing goes over the network until a request is sent. Null for an
    // empty host or port 0. Empty user and password mean none.
    std::unique_ptr<Connection> connect(std::string host, std::uint16_t port, std::string user,
                                        std::string password, Context context = 0);

    // Calls the status callback unless the context is 0.
    void report(Context context, HttpStatus status) const;

private:
    explicit Session(Options options);

    Options m_options;
    std::atomic<long long> m_connectTimeoutMs;
    std::atomic<long long> m_receiveTimeoutMs;
    mutable std::mutex m_callbackMutex;
    std::shared_ptr<const StatusCallback> m_callback; // guarded by m_callbackMutex
};

} // namespace orvel::http
