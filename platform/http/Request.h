#pragma once
// One HTTP request on its own connection. One thread at a time sends, writes and reads;
// close() may come from any thread and makes a blocked call return OperationCancelled.
// The connection is never shared with another request, so a stream's connection closes
// (statuses 50 and 51) when the server ends it, not when some pool retires it.

#include "platform/http/HttpError.h"
#include "platform/http/HttpStatus.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvel::http {

class Session;

struct CertificateInfo {
    std::string host;
    std::uint16_t port = 0;
    std::string fingerprint; // SHA-256 of the DER certificate, "AB:CD:..."
    std::string subject;
    std::string issuer;
};

class Request {
public:
    struct Target {
        std::string verb;
        std::string host;
        std::uint16_t port = 80;
        std::string path;
        std::string user;
        std::string password;
        DWORD flags = 0;
        Context context = 0;
    };

    // Use Connection::openRequest.
    static std::shared_ptr<Request> create(std::shared_ptr<Session> session, Target target);
    ~Request();
    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;

    // Sends the request with an optional whole body and waits for the response head. None
    // means a response arrived, whatever its status code. May be called again after an
    // answer (for example with new credentials after a 401).
    // extraHeaders: "Name: value" lines separated by CR LF.
    HttpError send(std::span<const std::byte> body = {}, std::string_view extraHeaders = {});

    // Starts a request whose body of declaredSize bytes is then given through write(), in
    // pieces, for as long as the caller likes; endBody() waits for the response head.
    HttpError beginBody(std::uint64_t declaredSize, std::string_view extraHeaders = {});
    // Blocks until the bytes went out. Writing past the declared size is an error.
    HttpError write(const void* data, std::size_t size);
    HttpError endBody();

    // Reads up to size body bytes, blocking until at least one is there. count 0 with None
    // is the end of the body.
    HttpError read(void* buffer, std::size_t size, std::size_t& count);

    // Reads as read() does, in reads of up to size bytes each, but hands every read to consume
    // straight from the transfer's own buffer instead of copying it into the caller's: all that
    // is there at once, blocking until at least one byte is. consume answering false ends the
    // call after that read. count: the bytes handed over; 0 with None is the end of the body.
    using Consumer = std::function<bool(const char* data, std::size_t size)>;
    HttpError readEach(std::size_t size, const Consumer& consume, std::size_t& count);

    // Thread-safe and idempotent: aborts a blocked call and every later one.
    void close();
    bool isClosed() const { return m_closed.load(); }

    // Used by the next send.
    void setCredentials(std::string user, std::string password);
    void setReceiveTimeout(std::chrono::milliseconds ms) { m_receiveTimeoutMs = ms.count(); }

    // Response head of the last send; empty before one.
    int statusCode() const;
    std::string statusText() const;
    // The last header of that name (compared ignoring case).
    std::optional<std::string> header(std::string_view name) const;
    std::optional<std::string> contentType() const { return header("Content-Type"); }
    // Status line and header lines, each ending in CR LF, then an empty line.
    std::string rawHeaders() const;

    // Set when the last send failed with InvalidCa: the certificate that was refused.
    std::optional<CertificateInfo> refusedCertificate() const;
    // Words from the library about the last failure, for messages.
    std::string errorDetail() const;

    const Target& target() const { return m_target; }
    std::string user() const;

    struct Impl;

private:
    Request(std::shared_ptr<Session> session, Target target);
    // read (into buffer) and readEach (to consume) in one.
    HttpError receive(char* buffer, const Consumer* consume, std::size_t size, std::size_t& count);

    std::shared_ptr<Session> m_session;
    Target m_target;
    std::atomic<bool> m_closed{false};
    std::atomic<long long> m_receiveTimeoutMs{-1}; // -1: the session's
    std::unique_ptr<Impl> m_impl;
};

} // namespace orvel::http
