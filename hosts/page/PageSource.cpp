#include "hosts/page/PageSource.h"

#include "platform/base/AsciiCase.h"
#include "platform/base/RegularFile.h"
#include "platform/http/Connection.h"
#include "platform/http/HttpError.h"
#include "platform/http/Request.h"
#include "platform/http/Session.h"
#include "platform/http/Url.h"

#include <array>
#include <filesystem>

namespace pagehost {
namespace {

using orvel::startsWithIgnoringCase;

bool fail(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
    return false;
}

bool loadFile(std::string path, LoadedPage& page, std::string* error)
{
    if (startsWithIgnoringCase(path, "file://"))
        path.erase(0, 7);
    std::string html;
    if (!readRegularFile(path, kMaxPageBytes, html, error))
        return false;
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    page.address = "file://" + (ec ? path : absolute.lexically_normal().string());
    page.html = std::move(html);
    return true;
}

bool loadUrl(const std::string& url, LoadedPage& page, std::string* error)
{
    using namespace orvel::http;
    std::optional<Url> parts = Url::crack(url);
    if (!parts)
        return fail(error, "not an address the page host can open: " + url);
    Session::Options options;
    options.agent = "Orvel Page Host";
    options.connectTimeout = std::chrono::milliseconds(kPageTimeoutMs);
    options.receiveTimeout = std::chrono::milliseconds(kPageTimeoutMs);
    std::shared_ptr<Session> session = Session::create(options);
    std::unique_ptr<Connection> connection =
        session ? session->connect(parts->host, parts->port, parts->user, parts->password)
                : nullptr;
    if (!connection)
        return fail(error, "cannot connect to " + maskPassword(url));
    DWORD flags = FlagReload | FlagNoCacheWrite | FlagPragmaNoCache;
    if (parts->scheme == "https")
        flags |= FlagSecure;
    std::shared_ptr<Request> request = connection->openRequest("GET", parts->path, flags);
    if (!request)
        return fail(error, "cannot make a request for " + maskPassword(url));
    if (HttpError sent = request->send(); sent != HttpError::None)
        return fail(error, maskPassword(url) + " did not answer: " + request->errorDetail());
    if (request->statusCode() != 200)
        return fail(error, maskPassword(url) + " answered " +
                               std::to_string(request->statusCode()) + " " + request->statusText());
    std::string html;
    std::array<char, 16384> buffer;
    for (;;) {
        std::size_t count = 0;
        HttpError read = request->read(buffer.data(), buffer.size(), count);
        if (read != HttpError::None)
            return fail(error, "the page from " + maskPassword(url) +
                                   " was cut off: " + request->errorDetail());
        if (count == 0)
            break;
        if (html.size() + count > kMaxPageBytes)
            return fail(error, "the page from " + maskPassword(url) + " is larger than " +
                                   std::to_string(kMaxPageBytes) + " bytes");
        html.append(buffer.data(), count);
    }
    page.address = url;
    page.html = std::move(html);
    return true;
}

} // namespace

bool loadPage(const std::string& location, LoadedPage& page, std::string* error)
{
    if (location.empty())
        return fail(error, "no page given");
    if (startsWithIgnoringCase(location, "http://") || startsWithIgnoringCase(location, "https://"))
        return loadUrl(location, page, error);
    return loadFile(location, page, error);
}

} // namespace pagehost
