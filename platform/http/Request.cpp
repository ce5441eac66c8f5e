#include "platform/http/Request.h"

#include "platform/base/HostAliases.h"
#include "platform/http/CertificateTrust.h"
#include "platform/http/Connection.h"
#include "platform/http/ConnectionLimits.h"
#include "platform/http/Session.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <curl/curl.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orvel::http {

namespace {

using Clock = std::chrono::steady_clock;

// What one read from the socket may take. A stream of large parts (640x480 JPEGs come at tens of
// thousands a second on a fast link) is read in a few large reads per part rather than one per
// 64 KiB, which more than halves the kernel's share of each part; the library caps it at 10 MiB.
constexpr long kReceiveBufferBytes = 512 * 1024;

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() &&
           (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

int sslIndex()
{
    static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

std::string fingerprintOf(X509* cert)
{
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    if (X509_digest(cert, EVP_sha256(), md, &len) != 1)
        return {};
    std::string out;
    char hex[4];
    for (unsigned i = 0; i < len; ++i) {
        std::snprintf(hex, sizeof hex, i ? ":%02X" : "%02X", md[i]);
        out += hex;
    }
    return out;
}

std::string nameOf(X509_NAME* name)
{
    if (name == nullptr)
        return {};
    char buf[512];
    X509_NAME_oneline(name, buf, sizeof buf);
    return buf;
}

} // namespace

void initializeHttpLibrary()
{
    // Once per process, before any handle; the library is never unloaded (-z nodelete).
    static const bool done = [] {
        return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    }();
    (void)done;
}

struct Request::Impl {
    Request* self = nullptr;
    CURLM* multi = nullptr;
    CURL* easy = nullptr; // the transfer of the last send; owned
    curl_slist* headerList = nullptr;
    curl_slist* connectTo = nullptr; // a test host alias for the transfer; owned
    char errorBuffer[CURL_ERROR_SIZE] = {};

    // Transfer state, touched only by the working thread (inside send, write, read).
    bool finished = false;
    CURLcode result = CURLE_OK;
    bool headDone = false;
    bool connected = false;
    bool newSocket = false;
    bool sentReported = false;
    unsigned long progress = 0;
    int previousStatus = 0;
    ServerSlot slot;

    std::vector<char> pending; // body bytes that arrived beyond the reader's buffer
    std::size_t pendingOffset = 0;
    char* userBuffer = nullptr;
    std::size_t userSize = 0;
    std::size_t userCount = 0;
    const Consumer* consumer = nullptr; // set during readEach instead of the user buffer
    bool consumerDone = false;          // it answered false: no more calls this time

    bool uploading = false;
    bool uploadPaused = false;
    bool wholeBody = false;
    std::vector<char> upload;
    std::size_t uploadOffset = 0;
    std::uint64_t declared = 0;
    std::uint64_t accepted = 0; // bytes given by the caller
    std::uint64_t sent = 0;     // bytes handed to the library

    // Response head and diagnostics: read by any thread.
    mutable std::mutex headMutex;
    int status = 0;
    std::string statusText;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string raw;
    std::optional<CertificateInfo> refused;
    std::string detail;
    std::string user;
    std::string password;

    ~Impl() { dropTransfer(); }

    void dropTransfer()
    {
        if (easy != nullptr) {
            curl_multi_remove_handle(multi, easy);
            curl_easy_cleanup(easy);
            easy = nullptr;
        }
        if (headerList != nullptr) {
            curl_slist_free_all(headerList);
            headerList = nullptr;
        }
        if (connectTo != nullptr) {
            curl_slist_free_all(connectTo);
            connectTo = nullptr;
        }
    }

    void report(HttpStatus s) { self->m_session->report(self->m_target.context, s); }

    long long receiveTimeoutMs() const
    {
        const long long own = self->m_receiveTimeoutMs.load();
        return own >= 0 ? own : self->m_session->receiveTimeout().count();
    }

    HttpError setDetail(HttpError e, std::string text)
    {
        std::lock_guard lock(headMutex);
        detail = std::move(text);
        return e;
    }

    HttpError mapResult(CURLcode code)
    {
        std::string text = errorBuffer[0] ? errorBuffer : curl_easy_strerror(code);
        long osErrno = 0;
        if (easy != nullptr)
            curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &osErrno);
        HttpError e = HttpError::InternalError;
        switch (code) {
        case CURLE_OK:
            return HttpError::None;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            e = HttpError::NameNotResolved;
            break;
        case CURLE_COULDNT_CONNECT:
            e = HttpError::CannotConnect;
            break;
        case CURLE_OPERATION_TIMEDOUT:
            e = HttpError::Timeout;
            break;
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_PARTIAL_FILE:
            e = osErrno == ECONNRESET ? HttpError::ConnectionReset : HttpError::ConnectionAborted;
            break;
        case CURLE_GOT_NOTHING:
        case CURLE_WEIRD_SERVER_REPLY:
            e = HttpError::InvalidServerResponse;
            break;
        case CURLE_TOO_MANY_REDIRECTS:
            e = HttpError::InvalidServerResponse;
            text = "too many redirects";
            break;
        case CURLE_BAD_CONTENT_ENCODING:
            e = HttpError::InvalidServerResponse;
            text = "the reply's content encoding is not supported";
            break;
        case CURLE_URL_MALFORMAT:
            e = HttpError::InvalidUrl;
            break;
        case CURLE_UNSUPPORTED_PROTOCOL:
            e = HttpError::UnrecognizedScheme;
            break;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_CERTPROBLEM: {
            std::lock_guard lock(headMutex);
            e = refused ? HttpError::InvalidCa : HttpError::SecurityChannelError;
            if (refused)
                text = "the certificate of " + refused->host + " is not trusted (SHA-256 " +
                       refused->fingerprint + ")";
            break;
        }
        default:
            break;
        }
        return setDetail(e, std::move(text));
    }

    // Runs the transfer until done() holds, the transfer ends, the request is closed or the
    // server stays silent for longer than the receive time-out.
    template <typename Done> HttpError pump(Done done)
    {
        Clock::time_point last = Clock::now();
        unsigned long seen = progress;
        for (;;) {
            if (self->m_closed.load())
                return HttpError::OperationCancelled;
            if (done() || finished)
                return HttpError::None;
            int running = 0;
            const CURLMcode mc = curl_multi_perform(multi, &running);
            if (mc != CURLM_OK)
                return setDetail(HttpError::InternalError, curl_multi_strerror(mc));
            int queued = 0;
            while (CURLMsg* msg = curl_multi_info_read(multi, &queued)) {
                if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy) {
                    finished = true;
                    result = msg->data.result;
                }
            }
            if (finished)
                slot.release();
            if (done() || finished)
                continue;
            const Clock::time_point now = Clock::now();
            if (progress != seen) {
                seen = progress;
                last = now;
            }
            int waitMs = 1000;
            // The connect phase is bounded by the library's connect time-out.
            if (connected) {
                const long long limit = receiveTimeoutMs();
                const long long left =
                    limit -
                    std::chrono::duration_cast<std::chrono::milliseconds>(now - last).count();
                if (left <= 0)
                    return setDetail(HttpError::Timeout, "no answer from the server within " +
                                                             std::to_string(limit) + " ms");
                waitMs = static_cast<int>(std::min<long long>(waitMs, left));
            }
            curl_multi_poll(multi, nullptr, 0, waitMs, nullptr);
        }
    }

    HttpError startTransfer(std::string_view extraHeaders);
    HttpError waitHead();

    // libcurl callbacks; all run on the working thread except closeSocket, which may also
    // run on the thread that destroys the request.
    static size_t onWrite(char* data, size_t size, size_t count, void* p);
    static size_t onHeader(char* data, size_t size, size_t count, void* p);
    static size_t onRead(char* data, size_t size, size_t count, void* p);
    static curl_socket_t onOpenSocket(void* p, curlsocktype purpose, curl_sockaddr* address);
    static int onCloseSocket(void* p, curl_socket_t fd);
    static int onPrereq(void* p, char*, char*, int, int);
    static CURLcode onSslContext(CURL*, void* sslCtx, void* p);
    static int onVerify(int ok, X509_STORE_CTX* store);
};

size_t Request::Impl::onWrite(char* data, size_t size, size_t count, void* p)
{
    Impl* d = static_cast<Impl*>(p);
    const size_t n = size * count;
    ++d->progress;
    if (!d->headDone) {
        d->headDone = true;
        d->report(HttpStatus::ResponseReceived);
    }
    size_t used = 0;
    if (d->consumer != nullptr) {
        while (used < n && !d->consumerDone) {
            const size_t piece = std::min(n - used, d->userSize);
            d->consumerDone = !(*d->consumer)(data + used, piece);
            used += piece;
        }
        d->userCount += used;
    } else if (d->userBuffer != nullptr && d->userCount < d->userSize) {
        used = std::min(n, d->userSize - d->userCount);
        std::memcpy(d->userBuffer + d->userCount, data, used);
        d->userCount += used;
    }
    if (used < n) {
        if (d->pendingOffset == d->pending.size()) {
            d->pending.clear();
            d->pendingOffset = 0;
        }
        d->pending.insert(d->pending.end(), data + used, data + n);
    }
    return n;
}

size_t Request::Impl::onHeader(char* data, size_t size, size_t count, void* p)
{
    Impl* d = static_cast<Impl*>(p);
    const size_t n = size * count;
    ++d->progress;
    std::string_view line(data, n);
    if (!d->sentReported) {
        d->sentReported = true;
        d->report(HttpStatus::RequestSent);
        d->report(HttpStatus::ReceivingResponse);
    }
    if (line.size() >= 5 && line.substr(0, 5) == "HTTP/") {
        // A new response head: an interim one, a redirect or an authentication round came
        // before; only the last head counts.
        std::lock_guard lock(d->headMutex);
        if (d->status >= 300 && d->status < 400)
            d->report(HttpStatus::Redirect);
        else if (d->status >= 100 && d->status < 200)
            d->report(HttpStatus::IntermediateResponse);
        d->headers.clear();
        d->raw = std::string(trim(line)) + "\r\n";
        d->status = 0;
        d->statusText.clear();
        const size_t sp = line.find(' ');
        if (sp != std::string_view::npos) {
            std::string_view rest = line.substr(sp + 1);
            d->status = std::atoi(std::string(rest.substr(0, 3)).c_str());
            d->statusText = std::string(rest.size() > 4 ? trim(rest.substr(4)) : "");
        }
        return n;
    }
    if (trim(line).empty()) {
        int code = 0;
        {
            std::lock_guard lock(d->headMutex);
            d->raw += "\r\n";
            code = d->status;
        }
        // A 401 or 407 may be answered by the library itself with credentials, and a
        // redirect followed: then another head comes and this one's body is skipped. Such
        // heads count as the answer only once body bytes or the end of the transfer arrive.
        const bool more = code < 200 || code == 401 || code == 407 || (code >= 300 && code < 400);
        if (!more && !d->headDone) {
            d->headDone = true;
            d->report(HttpStatus::ResponseReceived);
        }
        return n;
    }
    const size_t colon = line.find(':');
    std::lock_guard lock(d->headMutex);
    d->raw += std::string(trim(line)) + "\r\n";
    if (colon != std::string_view::npos)
        d->headers.emplace_back(std::string(trim(line.substr(0, colon))),
                                std::string(trim(line.substr(colon + 1))));
    return n;
}

size_t Request::Impl::onRead(char* data, size_t size, size_t count, void* p)
{
    Impl* d = static_cast<Impl*>(p);
    const size_t room = size * count;
    if (d->uploadOffset < d->upload.size()) {
        const size_t n = std::min(room, d->upload.size() - d->uploadOffset);
        std::memcpy(data, d->upload.data() + d->uploadOffset, n);
        d->uploadOffset += n;
        d->sent += n;
        ++d->progress;
        return n;
    }
    if (d->sent >= d->declared)
        return 0;
    d->uploadPaused = true;
    return CURL_READFUNC_PAUSE;
}

curl_socket_t Request::Impl::onOpenSocket(void* p, curlsocktype purpose, curl_sockaddr* address)
{
    Impl* d = static_cast<Impl*>(p);
    if (purpose == CURLSOCKTYPE_IPCXN) {
        d->report(HttpStatus::ResolvingName);
        d->report(HttpStatus::NameResolved);
        d->report(HttpStatus::ConnectingToServer);
        d->newSocket = true;
    }
    const int fd = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    return fd < 0 ? CURL_SOCKET_BAD : fd;
}

int Request::Impl::onCloseSocket(void* p, curl_socket_t fd)
{
    Impl* d = static_cast<Impl*>(p);
    d->report(HttpStatus::ClosingConnection);
    const int rc = ::close(fd);
    d->report(HttpStatus::ConnectionClosed);
    return rc;
}

int Request::Impl::onPrereq(void* p, char*, char*, int, int)
{
    Impl* d = static_cast<Impl*>(p);
    if (d->newSocket) {
        d->newSocket = false;
        d->report(HttpStatus::ConnectedToServer);
    }
    d->connected = true;
    ++d->progress;
    d->report(HttpStatus::SendingRequest);
    return CURL_PREREQFUNC_OK;
}

CURLcode Request::Impl::onSslContext(CURL*, void* sslCtx, void* p)
{
    SSL_CTX* ctx = static_cast<SSL_CTX*>(sslCtx);
    // The library is told not to verify; the check is ours so that a certificate the user
    // accepted passes and a refused one can be shown to the user.
    SSL_CTX_set_default_verify_paths(ctx);
    SSL_CTX_set_ex_data(ctx, sslIndex(), p);
    SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, &Impl::onVerify);
    return CURLE_OK;
}

int Request::Impl::onVerify(int ok, X509_STORE_CTX* store)
{
    if (ok == 1)
        return 1;
    SSL* ssl =
        static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    Impl* d =
        ssl ? static_cast<Impl*>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), sslIndex())) : nullptr;
    if (d == nullptr)
        return 0;
    const int error = X509_STORE_CTX_get_error(store);
    const DWORD flags = d->self->m_target.flags;
    if ((flags & FlagIgnoreCertDateInvalid) != 0 &&
        (error == X509_V_ERR_CERT_HAS_EXPIRED || error == X509_V_ERR_CERT_NOT_YET_VALID))
        return 1;
    if (d->self->m_session->options().certificates == CertificateCheck::AcceptAny)
        return 1;
    X509* leaf = X509_STORE_CTX_get0_cert(store);
    if (leaf == nullptr)
        return 0;
    const std::string fingerprint = fingerprintOf(leaf);
    if (!fingerprint.empty() && isCertificateTrusted(d->self->m_target.host, fingerprint))
        return 1;
    std::lock_guard lock(d->headMutex);
    CertificateInfo info;
    info.host = d->self->m_target.host;
    info.port = d->self->m_target.port;
    info.fingerprint = fingerprint;
    info.subject = nameOf(X509_get_subject_name(leaf));
    info.issuer = nameOf(X509_get_issuer_name(leaf));
    d->refused = std::move(info);
    return 0;
}

HttpError Request::Impl::startTransfer(std::string_view extraHeaders)
{
    dropTransfer();
    finished = false;
    result = CURLE_OK;
    headDone = false;
    connected = false;
    newSocket = false;
    sentReported = false;
    pending.clear();
    pendingOffset = 0;
    errorBuffer[0] = '\0';
    {
        std::lock_guard lock(headMutex);
        status = 0;
        statusText.clear();
        headers.clear();
        raw.clear();
        refused.reset();
        detail.clear();
    }

    const Target& t = self->m_target;
    if (!slot.held()) {
        const auto deadline = Clock::now() + self->m_session->connectTimeout();
        const std::string server = t.host + ":" + std::to_string(t.port);
        switch (ServerSlot::acquire(server, self->m_closed, deadline, slot)) {
        case ServerSlot::Outcome::Taken:
            break;
        case ServerSlot::Outcome::Cancelled:
            return HttpError::OperationCancelled;
        case ServerSlot::Outcome::TimedOut:
            return setDetail(HttpError::Timeout, "too many connections to " + server);
        }
    }

    easy = curl_easy_init();
    if (easy == nullptr)
        return setDetail(HttpError::OutOfHandles, "cannot create a transfer");

    const bool secure = (t.flags & FlagSecure) != 0;
    const bool ipv6 = t.host.find(':') != std::string::npos;
    const std::string url = std::string(secure ? "https://" : "http://") +
                            (ipv6 ? "[" + t.host + "]" : t.host) + ":" + std::to_string(t.port) +
                            t.path;
    const Session::Options& o = self->m_session->options();

    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    // A test's camera name stands for its loopback address; the Host header keeps the name.
    if (const auto alias = hostAlias(t.host)) {
        connectTo = curl_slist_append(nullptr, (t.host + "::" + *alias + ":").c_str());
        curl_easy_setopt(easy, CURLOPT_CONNECT_TO, connectTo);
    }
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, o.agent.c_str());
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(self->m_session->connectTimeout().count()));
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, (t.flags & FlagNoAutoRedirect) ? 0L : 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    if (o.proxy == ProxyMode::Direct)
        curl_easy_setopt(easy, CURLOPT_PROXY, "");
    else if (o.proxy == ProxyMode::Named)
        curl_easy_setopt(easy, CURLOPT_PROXY, o.proxyUrl.c_str());

    {
        std::lock_guard lock(headMutex);
        if (!user.empty() || !password.empty()) {
            curl_easy_setopt(easy, CURLOPT_USERNAME, user.c_str());
            curl_easy_setopt(easy, CURLOPT_PASSWORD, password.c_str());
            curl_easy_setopt(easy, CURLOPT_HTTPAUTH,
                             static_cast<long>(CURLAUTH_BASIC | CURLAUTH_DIGEST));
        }
    }

    if (secure) {
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST,
                         (t.flags & FlagIgnoreCertCnInvalid) ? 0L : 2L);
        curl_easy_setopt(easy, CURLOPT_SSL_SESSIONID_CACHE, 0L);
        curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, &Impl::onSslContext);
        curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA, this);
    }

    // Headers: the library's defaults that a camera would not expect are removed.
    bool hasContentType = false;
    std::string_view rest = extraHeaders;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        std::string_view line = trim(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (line.empty())
            continue;
        const size_t colon = line.find(':');
        if (colon != std::string_view::npos &&
            equalsIgnoringCase(trim(line.substr(0, colon)), "Content-Type"))
            hasContentType = true;
        headerList = curl_slist_append(headerList, std::string(line).c_str());
    }
    if ((t.flags & FlagPragmaNoCache) != 0)
        headerList = curl_slist_append(headerList, "Pragma: no-cache");
    headerList = curl_slist_append(headerList, "Expect:");
    const bool post = equalsIgnoringCase(t.verb, "POST");
    if (post && !hasContentType)
        headerList = curl_slist_append(headerList, "Content-Type:");
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList);

    if (post) {
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(declared));
        curl_easy_setopt(easy, CURLOPT_READFUNCTION, &Impl::onRead);
        curl_easy_setopt(easy, CURLOPT_READDATA, this);
    } else if (equalsIgnoringCase(t.verb, "GET")) {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    } else if (equalsIgnoringCase(t.verb, "HEAD")) {
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    } else {
        curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, t.verb.c_str());
    }

    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Impl::onWrite);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Impl::onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, &Impl::onOpenSocket);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, this);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, &Impl::onCloseSocket);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETDATA, this);
    curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &Impl::onPrereq);
    curl_easy_setopt(easy, CURLOPT_PREREQDATA, this);

    if (curl_multi_add_handle(multi, easy) != CURLM_OK)
        return setDetail(HttpError::InternalError, "cannot start the transfer");
    return HttpError::None;
}

HttpError Request::Impl::waitHead()
{
    const HttpError e = pump([this] { return headDone; });
    if (e != HttpError::None)
        return e;
    if (headDone)
        return HttpError::None;
    // The transfer ended before a body byte: an answer without body, or a failure.
    if (result == CURLE_OK) {
        headDone = true;
        report(HttpStatus::ResponseReceived);
        return HttpError::None;
    }
    return mapResult(result);
}

std::shared_ptr<Request> Request::create(std::shared_ptr<Session> session, Target target)
{
    initializeHttpLibrary();
    std::shared_ptr<Request> request(new Request(std::move(session), std::move(target)));
    if (request->m_impl->multi == nullptr)
        return nullptr;
    request->m_impl->report(HttpStatus::HandleCreated);
    return request;
}

Request::Request(std::shared_ptr<Session> session, Target target)
    : m_session(std::move(session)), m_target(std::move(target)), m_impl(std::make_unique<Impl>())
{
    m_impl->self = this;
    m_impl->user = m_target.user;
    m_impl->password = m_target.password;
    m_impl->multi = curl_multi_init();
}

Request::~Request()
{
    close();
    // Closes the connection now, while the status callback can still name this request.
    m_impl->dropTransfer();
    if (m_impl->multi != nullptr)
        curl_multi_cleanup(m_impl->multi);
    m_impl->multi = nullptr;
}

HttpError Request::send(std::span<const std::byte> body, std::string_view extraHeaders)
{
    if (m_closed.load())
        return HttpError::OperationCancelled;
    Impl& d = *m_impl;
    d.uploading = false;
    d.uploadPaused = false;
    d.wholeBody = true;
    d.upload.assign(reinterpret_cast<const char*>(body.data()),
                    reinterpret_cast<const char*>(body.data()) + body.size());
    d.uploadOffset = 0;
    d.declared = body.size();
    d.accepted = body.size();
    d.sent = 0;
    const HttpError e = d.startTransfer(extraHeaders);
    if (e != HttpError::None)
        return e;
    return d.waitHead();
}

HttpError Request::beginBody(std::uint64_t declaredSize, std::string_view extraHeaders)
{
    if (m_closed.load())
        return HttpError::OperationCancelled;
    Impl& d = *m_impl;
    d.uploading = true;
    d.uploadPaused = false;
    d.wholeBody = false;
    d.upload.clear();
    d.uploadOffset = 0;
    d.declared = declaredSize;
    d.accepted = 0;
    d.sent = 0;
    HttpError e = d.startTransfer(extraHeaders);
    if (e != HttpError::None)
        return e;
    e = d.pump([&d] { return d.uploadPaused || d.headDone; });
    if (e != HttpError::None)
        return e;
    if (d.finished && d.result != CURLE_OK)
        return d.mapResult(d.result);
    return HttpError::None;
}

HttpError Request::write(const void* data, std::size_t size)
{
    if (m_closed.load())
        return HttpError::OperationCancelled;
    Impl& d = *m_impl;
    if (!d.uploading || d.easy == nullptr)
        return HttpError::IncorrectHandleState;
    if (d.accepted + size > d.declared)
        return d.setDetail(HttpError::IncorrectHandleState, "more bytes than the declared size");
    if (d.finished)
        return d.result == CURLE_OK ? HttpError::ConnectionAborted : d.mapResult(d.result);
    if (d.uploadOffset == d.upload.size()) {
        d.upload.clear();
        d.uploadOffset = 0;
    }
    const char* bytes = static_cast<const char*>(data);
    d.upload.insert(d.upload.end(), bytes, bytes + size);
    d.accepted += size;
    if (d.uploadPaused) {
        d.uploadPaused = false;
        curl_easy_pause(d.easy, CURLPAUSE_CONT);
    }
    const HttpError e = d.pump([&d] { return d.uploadOffset == d.upload.size(); });
    if (e != HttpError::None)
        return e;
    if (d.uploadOffset < d.upload.size())
        return d.result == CURLE_OK ? HttpError::ConnectionAborted : d.mapResult(d.result);
    return HttpError::None;
}

HttpError Request::endBody()
{
    if (m_closed.load())
        return HttpError::OperationCancelled;
    Impl& d = *m_impl;
    if (!d.uploading || d.easy == nullptr)
        return HttpError::IncorrectHandleState;
    return d.waitHead();
}

HttpError Request::read(void* buffer, std::size_t size, std::size_t& count)
{
    return receive(static_cast<char*>(buffer), nullptr, size, count);
}

HttpError Request::readEach(std::size_t size, const Consumer& consume, std::size_t& count)
{
    return receive(nullptr, &consume, size, count);
}

HttpError Request::receive(char* buffer, const Consumer* consume, std::size_t size,
                           std::size_t& count)
{
    count = 0;
    if (m_closed.load())
        return HttpError::OperationCancelled;
    Impl& d = *m_impl;
    if (d.easy == nullptr || !d.headDone)
        return HttpError::IncorrectHandleState;
    if (size == 0)
        return HttpError::None;
    // Bytes that arrived beyond an earlier read come first.
    if (d.pendingOffset < d.pending.size()) {
        if (consume == nullptr) {
            count = std::min(size, d.pending.size() - d.pendingOffset);
            std::memcpy(buffer, d.pending.data() + d.pendingOffset, count);
            d.pendingOffset += count;
            return HttpError::None;
        }
        bool more = true;
        while (more && d.pendingOffset < d.pending.size()) {
            const std::size_t piece = std::min(size, d.pending.size() - d.pendingOffset);
            more = (*consume)(d.pending.data() + d.pendingOffset, piece);
            d.pendingOffset += piece;
            count += piece;
        }
        return HttpError::None;
    }
    if (!d.finished) {
        d.userBuffer = buffer;
        d.consumer = consume;
        d.consumerDone = false;
        d.userSize = size;
        d.userCount = 0;
        const HttpError e = d.pump([&d] { return d.userCount > 0; });
        count = d.userCount;
        d.userBuffer = nullptr;
        d.consumer = nullptr;
        d.userSize = 0;
        d.userCount = 0;
        if (count > 0)
            return HttpError::None;
        if (e != HttpError::None)
            return e;
    }
    return d.result == CURLE_OK ? HttpError::None : d.mapResult(d.result);
}

void Request::close()
{
    if (m_closed.exchange(true))
        return;
    if (m_impl->multi != nullptr)
        curl_multi_wakeup(m_impl->multi);
    ServerSlot::wakeWaiters();
    m_impl->report(HttpStatus::HandleClosing);
}

void Request::setCredentials(std::string user, std::string password)
{
    std::lock_guard lock(m_impl->headMutex);
    m_impl->user = std::move(user);
    m_impl->password = std::move(password);
}

std::string Request::user() const
{
    std::lock_guard lock(m_impl->headMutex);
    return m_impl->user;
}

int Request::statusCode() const
{
    std::lock_guard lock(m_impl->headMutex);
    return m_impl->status;
}

std::string Request::statusText() const
{
    std::lock_guard lock(m_impl->headMutex);
    return m_impl->statusText;
}

std::optional<std::string> Request::header(std::string_view name) const
{
    std::lock_guard lock(m_impl->headMutex);
    for (auto it = m_impl->headers.rbegin(); it != m_impl->headers.rend(); ++it)
        if (equalsIgnoringCase(it->first, name))
            return it->second;
    return std::nullopt;
}

std::string Request::rawHeaders() const
{
    std::lock_guard lock(m_impl->headMutex);
    return m_impl->raw;
}

std::optional<CertificateInfo> Request::refusedCertificate() const
{
    std::lock_guard lock(m_impl->headMutex);
    return m_impl->refused;
}

std::string Request::errorDetail() const
{
    std::lock_guard lock(m_impl->headMutex);
    return m_impl->detail;
}

} // namespace orvel::http
