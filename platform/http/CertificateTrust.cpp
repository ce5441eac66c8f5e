#include "platform/http/CertificateTrust.h"

#include <algorithm>
#include <cctype>
#include <mutex>
#include <set>
#include <string>

namespace orvel::http {

namespace {

struct TrustSet {
    std::mutex mutex;
    std::set<std::string> entries; // "host fingerprint", guarded by mutex
};

TrustSet& trustSet()
{
    static TrustSet instance;
    return instance;
}

std::string key(std::string_view host, std::string_view fingerprint)
{
    std::string k(host);
    std::transform(k.begin(), k.end(), k.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    k += ' ';
    k += fingerprint;
    return k;
}

} // namespace

void trustCertificate(std::string_view host, std::string_view fingerprint)
{
    TrustSet& t = trustSet();
    std::lock_guard lock(t.mutex);
    t.entries.insert(key(host, fingerprint));
}

bool isCertificateTrusted(std::string_view host, std::string_view fingerprint)
{
    TrustSet& t = trustSet();
    std::lock_guard lock(t.mutex);
    return t.entries.count(key(host, fingerprint)) != 0;
}

void forgetTrustedCertificates()
{
    TrustSet& t = trustSet();
    std::lock_guard lock(t.mutex);
    t.entries.clear();
}

} // namespace orvel::http
