#include "tools/camsim/HttpAuth.h"

#include <algorithm>
#include <map>
#include <openssl/evp.h>

namespace camsim {
namespace {

constexpr std::size_t kRememberedNonces = 64;
constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string base64Decode(std::string_view text)
{
    std::string out;
    unsigned value = 0;
    int bits = 0;
    for (char c : text) {
        const char* at = std::find(kBase64, kBase64 + 64, c);
        if (at == kBase64 + 64)
            break; // "=" padding or garbage ends the data
        value = (value << 6) | static_cast<unsigned>(at - kBase64);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((value >> bits) & 0xFF);
        }
    }
    return out;
}

// Digest parameters: name=token or name="quoted", separated by commas.
std::map<std::string, std::string> digestParams(std::string_view text)
{
    std::map<std::string, std::string> params;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == ',' || text[i] == '\t'))
            ++i;
        std::size_t eq = text.find('=', i);
        if (eq == std::string_view::npos)
            break;
        std::string name(text.substr(i, eq - i));
        while (!name.empty() && name.back() == ' ')
            name.pop_back();
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        i = eq + 1;
        while (i < text.size() && text[i] == ' ')
            ++i;
        std::string value;
        if (i < text.size() && text[i] == '"') {
            for (++i; i < text.size() && text[i] != '"'; ++i) {
                if (text[i] == '\\' && i + 1 < text.size())
                    ++i;
                value += text[i];
            }
            ++i;
        } else {
            std::size_t comma = text.find(',', i);
            value = std::string(text.substr(i, comma - i));
            while (!value.empty() && value.back() == ' ')
                value.pop_back();
            i = comma == std::string_view::npos ? text.size() : comma;
        }
        params[name] = value;
    }
    return params;
}

} // namespace

std::string md5Hex(std::string_view text)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(text.data(), text.size(), digest, &length, EVP_md5(), nullptr);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned i = 0; i < length; ++i) {
        out += kHex[digest[i] >> 4];
        out += kHex[digest[i] & 15];
    }
    return out;
}

std::string base64Encode(std::string_view bytes)
{
    std::string out;
    unsigned value = 0;
    int bits = 0;
    for (unsigned char c : bytes) {
        value = (value << 8) | c;
        bits += 8;
        while (bits >= 6) {
            bits -= 6;
            out += kBase64[(value >> bits) & 63];
        }
    }
    if (bits > 0)
        out += kBase64[(value << (6 - bits)) & 63];
    while (out.size() % 4 != 0)
        out += '=';
    return out;
}

HttpAuth::HttpAuth(AuthMode mode, std::string user, std::string password, std::string realm,
                   std::uint32_t seed)
    : m_mode(mode), m_user(std::move(user)), m_password(std::move(password)),
      m_realm(std::move(realm)), m_seed(seed)
{}

std::string HttpAuth::challenge(bool stale)
{
    if (m_mode != AuthMode::Digest)
        return "Basic realm=\"" + m_realm + "\"";
    std::string nonce;
    {
        std::lock_guard lock(m_mutex);
        nonce = md5Hex("nonce:" + std::to_string(m_seed) + ":" + std::to_string(m_nonceCounter++));
        m_nonces.push_back(nonce);
        if (m_nonces.size() > kRememberedNonces)
            m_nonces.pop_front();
    }
    std::string value = "Digest realm=\"" + m_realm + "\", qop=\"auth\", algorithm=MD5, nonce=\"" +
                        nonce + "\", opaque=\"" + md5Hex("opaque:" + m_realm) + "\"";
    if (stale)
        value += ", stale=true";
    return value;
}

bool HttpAuth::issuedNonce(const std::string& nonce) const
{
    return std::find(m_nonces.begin(), m_nonces.end(), nonce) != m_nonces.end();
}

AuthVerdict HttpAuth::check(const HttpRequest& request)
{
    if (m_mode == AuthMode::None)
        return AuthVerdict::Allowed;
    std::optional<std::string> header = request.header("Authorization");
    if (!header)
        return AuthVerdict::Denied;
    std::string_view value = *header;
    std::size_t space = value.find(' ');
    std::string_view scheme = value.substr(0, space);
    std::string_view rest = space == std::string_view::npos ? "" : value.substr(space + 1);

    if (m_mode == AuthMode::Basic) {
        if (!equalsIgnoringCase(scheme, "Basic"))
            return AuthVerdict::Denied;
        return base64Decode(rest) == m_user + ":" + m_password ? AuthVerdict::Allowed
                                                               : AuthVerdict::Denied;
    }

    if (!equalsIgnoringCase(scheme, "Digest"))
        return AuthVerdict::Denied;
    auto params = digestParams(rest);
    auto get = [&params](const char* name) {
        auto it = params.find(name);
        return it == params.end() ? std::string{} : it->second;
    };
    std::string algorithm = get("algorithm");
    if (get("username") != m_user || get("realm") != m_realm || get("uri") != request.target ||
        get("qop") != "auth" || get("nc").empty() || get("cnonce").empty() ||
        (!algorithm.empty() && !equalsIgnoringCase(algorithm, "MD5")))
        return AuthVerdict::Denied;
    std::string nonce = get("nonce");
    std::string ha1 = md5Hex(m_user + ":" + m_realm + ":" + m_password);
    std::string ha2 = md5Hex(request.method + ":" + get("uri"));
    std::string expected =
        md5Hex(ha1 + ":" + nonce + ":" + get("nc") + ":" + get("cnonce") + ":auth:" + ha2);
    if (get("response") != expected)
        return AuthVerdict::Denied;
    std::lock_guard lock(m_mutex);
    return issuedNonce(nonce) ? AuthVerdict::Allowed : AuthVerdict::Stale;
}

} // namespace camsim
