#pragma once
// A server and the credentials to present to it. Opening a request is cheap; the network is
// touched when the request is sent.

#include "platform/base/WinTypes.h"
#include "platform/http/HttpStatus.h"

#include <memory>
#include <string>

namespace orvel::http {

class Request;
class Session;

// Request flags with the platform's values, so callers can log and compare them as before.
enum RequestFlag : DWORD {
    FlagReload = 0x80000000,       // never answer from a cache (there is none: always true)
    FlagNoCacheWrite = 0x04000000, // (no cache: always true)
    FlagKeepConnection = 0x00400000,
    FlagPragmaNoCache = 0x00000100, // sends "Pragma: no-cache"
    FlagSecure = 0x00800000,        // TLS, whatever the port
    FlagIgnoreCertCnInvalid = 0x00001000,
    FlagIgnoreCertDateInvalid = 0x00002000,
    FlagNoAutoRedirect = 0x00200000,
};

class Connection {
public:
    Connection(std::shared_ptr<Session> session, std::string host, std::uint16_t port,
               std::string user, std::string password, Context context);

    // A request for verb and path (path with its query). The request reports its status
    // with the given context.
    std::shared_ptr<Request> openRequest(std::string verb, std::string path, DWORD flags,
                                         Context context = 0) const;

    const std::string& host() const { return m_host; }
    std::uint16_t port() const { return m_port; }
    const std::string& user() const { return m_user; }
    const std::string& password() const { return m_password; }
    Context context() const { return m_context; }

private:
    std::shared_ptr<Session> m_session;
    std::string m_host;
    std::uint16_t m_port;
    std::string m_user;
    std::string m_password;
    Context m_context;
};

} // namespace orvel::http
