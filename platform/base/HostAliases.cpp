#include "platform/base/HostAliases.h"

#include "platform/base/AsciiCase.h"

#include <arpa/inet.h>
#include <cstdlib>

using orvel::equalsIgnoringCase;

namespace {

// Bounds the variable's text: a handful of names is all a test needs.
constexpr std::size_t kMaxAliasesText = 4096;

bool isLoopbackAddress(const std::string& text)
{
    in_addr address{};
    return ::inet_pton(AF_INET, text.c_str(), &address) == 1 &&
           (ntohl(address.s_addr) >> 24) == 127;
}

} // namespace

std::optional<std::string> hostAlias(std::string_view name)
{
    const char* aliases = std::getenv(kHostAliasesVariable);
    if (!aliases || name.empty())
        return std::nullopt;
    std::string_view rest(aliases);
    if (rest.size() > kMaxAliasesText)
        return std::nullopt;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        const std::string_view pair = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        const std::size_t equals = pair.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string key(pair.substr(0, equals));
        const std::string value(pair.substr(equals + 1));
        if (equalsIgnoringCase(key, name) && isLoopbackAddress(value))
            return value;
    }
    return std::nullopt;
}
