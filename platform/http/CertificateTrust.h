#pragma once
// Certificates the user accepted, for the rest of the process: a host and the SHA-256
// fingerprint of the certificate it showed. Another certificate on the same host asks again.

#include <string_view>

namespace orvel::http {

void trustCertificate(std::string_view host, std::string_view fingerprint);
bool isCertificateTrusted(std::string_view host, std::string_view fingerprint);
// Forgets every acceptance (tests).
void forgetTrustedCertificates();

} // namespace orvel::http
