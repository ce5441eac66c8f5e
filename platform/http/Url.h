#pragma once
// Splitting a URL into the pieces a connection needs. Nothing is percent-decoded: the user
// name and password go to the server as they were written.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvel::http {

struct Url {
    std::string scheme; // lower case: "http" or "https"
    std::string host;   // without the brackets of an IPv6 literal
    std::uint16_t port = 0;
    bool explicitPort = false;
    std::string user;     // empty when the URL has none
    std::string password; // empty when the URL has none
    bool hasUser = false;
    bool hasPassword = false;
    std::string path; // begins with "/", keeps the query; "/" when the URL has no path

    // nullopt for anything that is not http(s)://host..., or a port that is not 1..65535.
    static std::optional<Url> crack(std::string_view text);
};

// The URL with the password of its user part replaced by "***", for logs. Text that does not
// parse as a URL is returned unchanged.
std::string maskPassword(std::string_view url);

} // namespace orvel::http
