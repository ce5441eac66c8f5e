#include "platform/http/Url.h"

#include <algorithm>
#include <cctype>

namespace orvel::http {

namespace {

std::string lower(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// Where the authority (user info, host, port) of "scheme://authority/path" ends.
std::size_t authorityEnd(std::string_view rest)
{
    std::size_t end = rest.find_first_of("/?#");
    return end == std::string_view::npos ? rest.size() : end;
}

} // namespace

std::optional<Url> Url::crack(std::string_view text)
{
    const std::size_t sep = text.find("://");
    if (sep == std::string_view::npos)
        return std::nullopt;
    Url url;
    url.scheme = lower(text.substr(0, sep));
    if (url.scheme == "http")
        url.port = 80;
    else if (url.scheme == "https")
        url.port = 443;
    else
        return std::nullopt;

    std::string_view rest = text.substr(sep + 3);
    const std::size_t authEnd = authorityEnd(rest);
    std::string_view authority = rest.substr(0, authEnd);
    std::string_view pathPart = rest.substr(authEnd);

    // The user info ends at the last '@': a password may itself hold one.
    const std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos) {
        std::string_view userInfo = authority.substr(0, at);
        authority = authority.substr(at + 1);
        const std::size_t colon = userInfo.find(':');
        url.user = std::string(userInfo.substr(0, colon));
        url.hasUser = !url.user.empty();
        if (colon != std::string_view::npos) {
            url.password = std::string(userInfo.substr(colon + 1));
            url.hasPassword = !url.password.empty();
        }
    }

    std::string_view portText;
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        url.host = std::string(authority.substr(1, close - 1));
        std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':')
                return std::nullopt;
            portText = after.substr(1);
        }
    } else {
        const std::size_t colon = authority.rfind(':');
        url.host = std::string(authority.substr(0, colon));
        if (colon != std::string_view::npos)
            portText = authority.substr(colon + 1);
    }
    if (url.host.empty())
        return std::nullopt;
    if (!portText.empty()) {
        unsigned long port = 0;
        for (char c : portText) {
            if (!std::isdigit(static_cast<unsigned char>(c)) || port > 65535)
                return std::nullopt;
            port = port * 10 + static_cast<unsigned long>(c - '0');
        }
        if (port == 0 || port > 65535)
            return std::nullopt;
        url.port = static_cast<std::uint16_t>(port);
        url.explicitPort = true;
    }

    // A fragment never goes to the server.
    pathPart = pathPart.substr(0, pathPart.find('#'));
    if (pathPart.empty())
        url.path = "/";
    else if (pathPart.front() == '?')
        url.path = "/" + std::string(pathPart);
    else
        url.path = std::string(pathPart);
    return url;
}

std::string maskPassword(std::string_view url)
{
    const std::size_t sep = url.find("://");
    if (sep == std::string_view::npos)
        return std::string(url);
    const std::size_t authStart = sep + 3;
    const std::size_t authLen = authorityEnd(url.substr(authStart));
    std::string_view authority = url.substr(authStart, authLen);
    const std::size_t at = authority.rfind('@');
    if (at == std::string_view::npos)
        return std::string(url);
    const std::size_t colon = authority.substr(0, at).find(':');
    if (colon == std::string_view::npos || colon + 1 == at)
        return std::string(url);
    std::string out(url.substr(0, authStart + colon + 1));
    out += "***";
    out += url.substr(authStart + at);
    return out;
}

} // namespace orvel::http
