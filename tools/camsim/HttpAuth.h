#pragma once
// The camera's password check: none, Basic, or Digest (RFC 7616: MD5, qop=auth) for one
// configured user. Thread-safe: every connection thread checks through the one instance.

#include "tools/camsim/CamSimConfig.h"
#include "tools/camsim/HttpRequest.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

namespace camsim {

enum class AuthVerdict { Allowed, Denied, Stale };

class HttpAuth {
public:
    HttpAuth(AuthMode mode, std::string user, std::string password, std::string realm,
             std::uint32_t seed);

    AuthMode mode() const { return m_mode; }
    AuthVerdict check(const HttpRequest& request);
    // Value of WWW-Authenticate for a 401; Digest issues a fresh nonce each time.
    std::string challenge(bool stale);

private:
    bool issuedNonce(const std::string& nonce) const;

    AuthMode m_mode;
    std::string m_user;
    std::string m_password;
    std::string m_realm;
    std::uint32_t m_seed;
    std::mutex m_mutex; // guards m_nonceCounter and m_nonces
    std::uint64_t m_nonceCounter = 0;
    std::deque<std::string> m_nonces; // the most recent issued nonces
};

std::string md5Hex(std::string_view text);
std::string base64Encode(std::string_view bytes);

} // namespace camsim
