#include "hosts/page/PageSource.h"

#include "platform/http/Connection.h"
#include "platform/http/HttpError.h"
#include "platform/http/Request.h"
#include "platform/http/Session.h"
#include "platform/http/Url.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace pagehost {
namespace {

bool startsWithIgnoringCase(const std::string& text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

bool fail(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
    return false;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

bool loadFile(std::string path, LoadedPage& page, std::string* error)
{
    if (startsWithIgnoringCase(path, "file://"))
        path.erase(0, 7);
    // O_NONBLOCK: a named pipe must not hang the open; only regular files are read.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        return fail(error, "cannot open " + path + ": " + std::strerror(errno));
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return fail(error, "cannot read " + path + ": " + std::strerror(errno));
    if (!S_ISREG(info.st_mode))
        return fail(error, path + " is not a regular file");
    if (static_cast<unsigned long long>(info.st_size) > kMaxPageBytes)
        return fail(error, path + " is larger than " + std::to_string(kMaxPageBytes) + " bytes");
    std::string html(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t done = 0;
    while (done < html.size()) {
        const ssize_t n = ::read(fd.get(), html.data() + done, html.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(error, "cannot read " + path + ": " + std::strerror(errno));
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    html.resize(done);
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
