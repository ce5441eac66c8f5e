#include "control/AudioParameterFetch.h"

#include "platform/http/Connection.h"
#include "platform/http/Request.h"
#include "platform/http/Session.h"
#include "platform/http/Url.h"

#include <array>
#include <chrono>

namespace pictra {
namespace {

using namespace orvel::http;

// The fetch runs on the window thread: a camera that does not answer must not hang the page.
constexpr std::chrono::milliseconds kFetchTimeout{5000};

} // namespace

bool fetchAudioParameters(std::string_view url, AudioParameters& parameters)
{
    const std::optional<Url> parts = Url::crack(url);
    if (!parts)
        return false;
    Session::Options options;
    options.agent = "OrvelPlayer";
    options.connectTimeout = kFetchTimeout;
    options.receiveTimeout = kFetchTimeout;
    std::shared_ptr<Session> session = Session::create(options);
    std::unique_ptr<Connection> connection =
        session->connect(parts->host, parts->port, parts->user, parts->password);
    if (!connection)
        return false;
    DWORD flags = FlagReload | FlagNoCacheWrite | FlagPragmaNoCache;
    if (parts->scheme == "https")
        flags |= FlagSecure;
    std::shared_ptr<Request> request = connection->openRequest("GET", parts->path, flags);
    if (!request || request->send() != HttpError::None)
        return false;
    const int status = request->statusCode();
    if (status < 200 || status > 299)
        return false;

    // One read of the list: as much as comes, up to the bound.
    std::array<char, kMaxParameterBytes> text;
    std::size_t length = 0;
    while (length < text.size()) {
        std::size_t count = 0;
        if (request->read(text.data() + length, text.size() - length, count) != HttpError::None ||
            count == 0)
            break;
        length += count;
    }
    request->close();
    if (length == 0)
        return false;
    parseAudioParameters(std::string_view(text.data(), length), parameters);
    return true;
}

} // namespace pictra
