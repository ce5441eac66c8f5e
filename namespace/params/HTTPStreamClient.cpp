#include "namespace/params/HTTPStreamClient.h"

#include "namespace/params/Trace.h"
#include "platform/base/AsciiCase.h"
#include "platform/http/Connection.h"
#include "platform/http/Prompts.h"
#include "platform/http/Request.h"
#include "platform/http/Session.h"
#include "platform/http/Url.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <system_error>

namespace foldra {

namespace http = orvel::http;
using std::chrono::milliseconds;

namespace {

// How often a wait on the event loop's thread lets the loop turn.
constexpr milliseconds kEventSlice{10};

constexpr DWORD kRequestFlags =
    http::FlagReload | http::FlagNoCacheWrite | http::FlagKeepConnection | http::FlagPragmaNoCache;
constexpr DWORD kSecureFlags =
    http::FlagSecure | http::FlagIgnoreCertCnInvalid | http::FlagIgnoreCertDateInvalid;

HRESULT fromHttpError(http::HttpError e)
{
    return HRESULT_FROM_WIN32(http::errorNumber(e));
}

int number(http::HttpError e)
{
    return static_cast<int>(http::errorNumber(e));
}

// True when text starts with a scheme ("ftp://...") that is neither http nor https.
bool otherScheme(std::string_view text)
{
    const std::size_t colon = text.find("://");
    if (colon == std::string_view::npos || colon == 0)
        return false;
    const std::string_view scheme = text.substr(0, colon);
    const bool word = std::all_of(scheme.begin(), scheme.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '+' || c == '-' || c == '.';
    });
    return word && !orvel::equalsIgnoringCase(scheme, "http") &&
           !orvel::equalsIgnoringCase(scheme, "https");
}

std::string lowerCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
    return out;
}

// The text of the first <title> element, blanks around it removed; empty when there is none.
std::string titleOf(std::string_view page)
{
    const std::string lower = lowerCase(page);
    std::size_t open = lower.find("<title");
    if (open == std::string::npos)
        return {};
    open = lower.find('>', open);
    if (open == std::string::npos)
        return {};
    const std::size_t close = lower.find("</title", open + 1);
    std::string_view title = page.substr(
        open + 1, close == std::string::npos ? std::string_view::npos : close - open - 1);
    auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n';
    };
    while (!title.empty() && blank(title.front()))
        title.remove_prefix(1);
    while (!title.empty() && blank(title.back()))
        title.remove_suffix(1);
    return std::string(title);
}

enum class Setting { NetTimeout, DataTimeout, User, Password };

std::optional<Setting> settingNamed(std::string_view name)
{
    if (orvel::equalsIgnoringCase(name, "net_timeout"))
        return Setting::NetTimeout;
    if (orvel::equalsIgnoringCase(name, "data_timeout"))
        return Setting::DataTimeout;
    if (orvel::equalsIgnoringCase(name, "stream_uname"))
        return Setting::User;
    if (orvel::equalsIgnoringCase(name, "stream_pwd"))
        return Setting::Password;
    return std::nullopt;
}

// True on the thread of the application's event loop, where the prompts are shown.
bool onEventThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

// Waits as condition_variable::wait_for does. On the event loop's thread it keeps the loop
// turning meanwhile: the connection thread hands a prompt to that thread and blocks until it
// is answered, so a plain wait there would never end.
template <typename Done>
bool waitTurningEvents(std::unique_lock<std::mutex>& lock, std::condition_variable& changed,
                       milliseconds timeout, Done done)
{
    if (!onEventThread())
        return changed.wait_for(lock, timeout, done);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
        if (changed.wait_for(lock, std::clamp(left, milliseconds(0), kEventSlice), done))
            return true;
        if (left <= kEventSlice)
            return done();
        lock.unlock();
        // Input goes to the prompt's own loop; here only what the prompt needs to appear.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        lock.lock();
    }
}

// Gives a worker whose request was closed kThreadEndWaitMs to say it ended, then joins it.
// Bounded: a closed request ends the call the worker is in, and a prompt it was showing ends
// with the user's answer.
template <typename Shared, typename Ended>
void joinStopped(std::thread& thread, Shared& shared, Ended ended, const char* operation)
{
    {
        std::unique_lock lock(shared.mutex);
        const milliseconds wait(kThreadEndWaitMs);
        if (!waitTurningEvents(lock, shared.changed, wait, ended)) {
            trace(TraceLevel::Warning, operation, "thread did not end within %u ms",
                  static_cast<unsigned>(kThreadEndWaitMs));
            while (!waitTurningEvents(lock, shared.changed, wait, ended)) {
            }
        }
    }
    thread.join();
}

} // namespace

// One OpenURL's send, shared by the waiting thread and the connection thread.
struct HTTPStreamClient::SendRound {
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;      // guarded by mutex, as is everything below
    bool prompting = false; // the thread is inside the prompt: the user, not the camera, is slow
    unsigned rounds = 0;    // prompts answered so far
    http::HttpError result = http::HttpError::None;
};

// The read the calling thread hands to the data thread.
struct HTTPStreamClient::ReadJob {
    std::mutex mutex;
    std::condition_variable changed;
    bool requested = false; // guarded by mutex, as is everything below
    bool done = false;
    bool stop = false;
    bool ended = false; // the data thread has left its loop
    char* buffer = nullptr;
    std::size_t size = 0;
    std::size_t count = 0;
    http::HttpError result = http::HttpError::None;
};

void HTTPStreamClient::connectionThread(const std::shared_ptr<SendRound>& round,
                                        http::Request& request, const std::string& extraHeaders)
{
    http::HttpError sent = http::HttpError::None;
    for (unsigned n = 1;; ++n) {
        sent = request.send({}, extraHeaders);
        if (n == kMaxSendRounds)
            break;
        {
            std::lock_guard lock(round->mutex);
            round->prompting = true;
        }
        // No owner window: the prompt stands for itself, as over the desktop.
        const http::AfterSend next = http::resolveAfterSend(request, sent, nullptr);
        {
            std::lock_guard lock(round->mutex);
            round->prompting = false;
            ++round->rounds;
            round->changed.notify_all();
        }
        if (next != http::AfterSend::SendAgain)
            break;
    }
    std::lock_guard lock(round->mutex);
    round->done = true;
    round->result = sent;
    round->changed.notify_all();
}

void HTTPStreamClient::dataThread(const std::shared_ptr<ReadJob>& job,
                                  const std::shared_ptr<http::Request>& request,
                                  DWORD dataTimeoutMs)
{
    std::unique_lock lock(job->mutex);
    for (;;) {
        job->changed.wait_for(lock, milliseconds(dataTimeoutMs),
                              [&] { return job->requested || job->stop; });
        if (job->stop) {
            trace(TraceLevel::Warning, TraceOp::GetData, "isShuttingDown");
            break;
        }
        if (!job->requested)
            continue;
        job->requested = false;
        char* buffer = job->buffer;
        const std::size_t size = job->size;
        lock.unlock();
        std::size_t count = 0;
        const http::HttpError e = request->read(buffer, size, count);
        lock.lock();
        job->count = count;
        job->result = e;
        job->done = true;
        job->changed.notify_all();
        if (e != http::HttpError::None) {
            trace(TraceLevel::Error, TraceOp::GetData, "InternetReadFile fail, e=%d", number(e));
            break;
        }
    }
    job->ended = true;
    job->changed.notify_all();
}

HTTPStreamClient::HTTPStreamClient() = default;

HTTPStreamClient::~HTTPStreamClient()
{
    closeHandles();
}

HRESULT HTTPStreamClient::OpenURLWithText(const std::string& url, DWORD* status, char* text,
                                          std::size_t textSize)
{
    if (text != nullptr && textSize > 0)
        text[0] = '\0';
    DWORD got = 200;
    const HRESULT hr = OpenURL(url, &got, {}, nullptr);
    if (status != nullptr)
        *status = got;
    if (SUCCEEDED(hr))
        return hr;
    trace(TraceLevel::Error, TraceOp::OpenUrl, "fail, hr=0x%x", static_cast<unsigned>(hr));
    if (got < 200 || got >= 300) {
        trace(TraceLevel::Error, TraceOp::OpenUrl, "HTTP status ret = %d", static_cast<int>(got));
        if (m_request && text != nullptr && textSize > 0) {
            const std::string statusText = m_request->statusText();
            const std::size_t n = std::min(statusText.size(), textSize - 1);
            std::memcpy(text, statusText.data(), n);
            text[n] = '\0';
        }
    }
    return hr;
}

HRESULT HTTPStreamClient::OpenURL(const std::string& url, DWORD* status,
                                  const std::string& referrer, std::string* message)
{
    if (status != nullptr)
        *status = 200;
    if (message != nullptr)
        message->clear();
    closeHandles();

    http::Session::Options options;
    options.agent = "HTTPStreamClient";
    options.proxy = http::ProxyMode::Preconfigured;
    options.connectTimeout = milliseconds(m_netTimeoutMs);
    options.receiveTimeout = milliseconds(m_netTimeoutMs);
    m_session = http::Session::create(options);
    if (!m_session) {
        trace(TraceLevel::Error, TraceOp::OpenUrl, "InternetOpen fail, e=%d",
              number(http::HttpError::OutOfHandles));
        return fromHttpError(http::HttpError::OutOfHandles);
    }

    if (otherScheme(url)) {
        trace(TraceLevel::Error, TraceOp::InterpretUrl, "Internet scheme not HTTP or HTTPS");
        closeHandles();
        return fromHttpError(http::HttpError::UnrecognizedScheme);
    }
    const std::optional<http::Url> parts = http::Url::crack(url);
    if (!parts) {
        trace(TraceLevel::Error, TraceOp::InterpretUrl, "InternetCrackUrl fail, e=%d",
              number(http::HttpError::InvalidUrl));
        closeHandles();
        return fromHttpError(http::HttpError::InvalidUrl);
    }
    m_connection =
        m_session->connect(parts->host, parts->port, parts->hasUser ? parts->user : m_user,
                           parts->hasPassword ? parts->password : m_password);
    if (!m_connection) {
        trace(TraceLevel::Error, TraceOp::OpenUrl, "InternetConnect fail, e=%d",
              number(http::HttpError::InvalidUrl));
        closeHandles();
        return fromHttpError(http::HttpError::InvalidUrl);
    }
    // Port 443 is a camera's HTTPS port, whatever the URL's scheme says.
    const bool secure = parts->scheme == "https" || parts->port == 443;
    m_request =
        m_connection->openRequest("GET", parts->path, kRequestFlags | (secure ? kSecureFlags : 0));
    if (!m_request) {
        trace(TraceLevel::Error, TraceOp::OpenUrl, "HttpOpenRequest fail, e=%d",
              number(http::HttpError::OutOfHandles));
        closeHandles();
        return fromHttpError(http::HttpError::OutOfHandles);
    }

    const HRESULT sent = sendRequest(referrer.empty() ? std::string() : "Referer: " + referrer);
    if (FAILED(sent)) {
        closeHandles();
        return sent;
    }

    const int code = m_request->statusCode();
    if (code <= 0) {
        trace(TraceLevel::Error, TraceOp::OpenUrl, "HttpQueryInfo fail, e=%d",
              static_cast<int>(ERROR_HTTP_HEADER_NOT_FOUND));
        return E_FAIL;
    }
    if (status != nullptr)
        *status = static_cast<DWORD>(code);
    if (code == 401) {
        trace(TraceLevel::Error, TraceOp::OpenUrl, "acc denied");
        return E_ACCESSDENIED;
    }
    if (code < 200 || code >= 300) {
        trace(TraceLevel::Error, TraceOp::OpenUrl, "HTTP status ret = %d", code);
        if (message != nullptr)
            *message = readTitle();
        return E_FAIL;
    }
    return S_OK;
}

HRESULT HTTPStreamClient::sendRequest(const std::string& extraHeaders)
{
    auto round = std::make_shared<SendRound>();
    std::shared_ptr<http::Request> request = m_request;
    std::thread thread;
    try {
        thread = std::thread(
            [round, request, extraHeaders] { connectionThread(round, *request, extraHeaders); });
    } catch (const std::system_error& e) {
        trace(TraceLevel::Error, TraceOp::ConnThread, "thread creation fail, e=%d",
              e.code().value());
        return E_FAIL;
    }

    bool finished = false;
    http::HttpError sent = http::HttpError::None;
    {
        std::unique_lock lock(round->mutex);
        // net_timeout at a time: every answered prompt starts a new wait, and so does a wait
        // that ends with the user still in front of the prompt.
        for (;;) {
            const unsigned seen = round->rounds;
            const bool moved =
                waitTurningEvents(lock, round->changed, milliseconds(m_netTimeoutMs),
                                  [&] { return round->done || round->rounds != seen; });
            if (round->done || (!moved && !round->prompting))
                break;
        }
        finished = round->done;
        sent = round->result;
    }
    if (!finished) {
        trace(TraceLevel::Error, TraceOp::OpenUrl, "timeout when sending request");
        request->close();
        joinStopped(
            thread, *round, [&] { return round->done; }, TraceOp::ConnThread);
        return fromHttpError(http::HttpError::Timeout);
    }
    thread.join(); // it has set done: it is returning
    if (sent != http::HttpError::None) {
        trace(TraceLevel::Error, TraceOp::ConnThread, "HttpSendRequest fail, e=%d", number(sent));
        return fromHttpError(sent);
    }
    return S_OK;
}

std::string HTTPStreamClient::readTitle()
{
    std::string page;
    readBody(*this, kTitleSearchBytes, kTitleSearchBytes, page, nullptr);
    return titleOf(page);
}

HRESULT HTTPStreamClient::startDataThread()
{
    auto job = std::make_shared<ReadJob>();
    try {
        m_dataThread = std::thread([job, request = m_request, timeout = m_dataTimeoutMs] {
            dataThread(job, request, timeout);
        });
    } catch (const std::system_error& e) {
        trace(TraceLevel::Error, TraceOp::StartDataThread, "thread creation fail, e=%d",
              e.code().value());
        return E_FAIL;
    }
    m_job = std::move(job);
    return S_OK;
}

void HTTPStreamClient::stopDataThread()
{
    if (!m_dataThread.joinable())
        return;
    {
        std::lock_guard lock(m_job->mutex);
        m_job->stop = true;
        m_job->changed.notify_all();
    }
    // Aborts a read in progress.
    if (m_request)
        m_request->close();
    joinStopped(
        m_dataThread, *m_job, [this] { return m_job->ended; }, TraceOp::GetData);
}

void HTTPStreamClient::closeHandles()
{
    stopDataThread();
    m_job.reset();
    m_request.reset();
    m_connection.reset();
    m_session.reset();
}

HRESULT HTTPStreamClient::GetData(std::size_t size, void* buffer, std::size_t* count)
{
    if (buffer == nullptr || count == nullptr)
        return E_POINTER;
    *count = 0;
    if (!m_request) {
        trace(TraceLevel::Error, TraceOp::GetData, "client not initialized, call OpenURL first");
        return E_HANDLE;
    }
    if (size == 0)
        return S_OK;
    if (!m_dataThread.joinable()) {
        if (const HRESULT hr = startDataThread(); FAILED(hr))
            return hr;
    }

    const std::shared_ptr<ReadJob> job = m_job;
    std::unique_lock lock(job->mutex);
    if (job->ended) // an earlier read failed and ended the thread
        return job->result != http::HttpError::None ? fromHttpError(job->result) : E_HANDLE;
    job->buffer = static_cast<char*>(buffer);
    job->size = size;
    job->done = false;
    job->requested = true;
    job->changed.notify_all();
    if (!job->changed.wait_for(lock, milliseconds(m_dataTimeoutMs),
                               [&] { return job->done || job->ended; })) {
        lock.unlock();
        trace(TraceLevel::Error, TraceOp::GetData, "timeout when getting data");
        // The thread is joined before the caller's buffer is given back.
        closeHandles();
        lock.lock();
        if (!job->done || job->result != http::HttpError::None)
            return fromHttpError(http::HttpError::Timeout);
    }
    if (!job->done)
        return E_HANDLE;
    *count = job->count;
    return job->result == http::HttpError::None ? S_OK : fromHttpError(job->result);
}

HRESULT HTTPStreamClient::QueryHTTPResponse(DWORD infoLevel, DWORD* length, void* buffer)
{
    if (length == nullptr)
        return E_POINTER;
    if (!m_request) {
        trace(TraceLevel::Error, TraceOp::QueryResponse,
              "client not initialized, call OpenURL first");
        return E_HANDLE;
    }
    std::optional<std::string> value;
    switch (infoLevel & ~static_cast<DWORD>(HttpQueryFlagNumber)) {
    case HttpQueryContentType:
        value = m_request->header("Content-Type");
        break;
    case HttpQueryContentLength:
        value = m_request->header("Content-Length");
        break;
    case HttpQueryStatusCode:
        if (m_request->statusCode() > 0)
            value = std::to_string(m_request->statusCode());
        break;
    case HttpQueryStatusText:
        value = m_request->statusText();
        break;
    case HttpQueryRawHeadersCrLf:
        value = m_request->rawHeaders();
        break;
    case HttpQueryCustom: {
        if (buffer == nullptr)
            return E_POINTER;
        const char* name = static_cast<const char*>(buffer);
        value = m_request->header(std::string_view(name, strnlen(name, *length)));
        break;
    }
    default:
        trace(TraceLevel::Error, TraceOp::QueryResponse, "info level %u not supported",
              static_cast<unsigned>(infoLevel));
        return E_INVALIDARG;
    }
    if (!value)
        return HRESULT_FROM_WIN32(ERROR_HTTP_HEADER_NOT_FOUND);

    if ((infoLevel & HttpQueryFlagNumber) != 0) {
        char* end = nullptr;
        const unsigned long n = std::strtoul(value->c_str(), &end, 10);
        if (value->empty() || end == value->c_str() || n > 0xFFFFFFFFul)
            return HRESULT_FROM_WIN32(ERROR_HTTP_INVALID_HEADER);
        if (buffer == nullptr || *length < sizeof(DWORD)) {
            *length = sizeof(DWORD);
            return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
        }
        const DWORD out = static_cast<DWORD>(n);
        std::memcpy(buffer, &out, sizeof out);
        *length = sizeof out;
        return S_OK;
    }
    if (buffer == nullptr || *length < value->size() + 1) {
        *length = static_cast<DWORD>(value->size() + 1);
        return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(buffer, value->c_str(), value->size() + 1);
    *length = static_cast<DWORD>(value->size());
    return S_OK;
}

HRESULT HTTPStreamClient::Close()
{
    closeHandles();
    return S_OK;
}

HRESULT HTTPStreamClient::GetProperty(std::string_view name, VARIANT* value)
{
    if (value == nullptr)
        return E_POINTER;
    VariantClear(value);
    const std::optional<Setting> setting = settingNamed(name);
    if (!setting) {
        trace(TraceLevel::Error, TraceOp::GetProperty, "property not supported");
        return E_INVALIDARG;
    }
    switch (*setting) {
    case Setting::NetTimeout:
    case Setting::DataTimeout:
        V_VT(value) = VT_I4;
        V_I4(value) =
            static_cast<LONG>(*setting == Setting::NetTimeout ? m_netTimeoutMs : m_dataTimeoutMs);
        return S_OK;
    case Setting::User:
    case Setting::Password: {
        BSTR text = bstrFromUtf8(*setting == Setting::User ? m_user : m_password);
        if (text == nullptr)
            return E_OUTOFMEMORY;
        V_VT(value) = VT_BSTR;
        V_BSTR(value) = text;
        return S_OK;
    }
    }
    return E_INVALIDARG;
}

HRESULT HTTPStreamClient::SetProperty(std::string_view name, const VARIANT* value)
{
    if (value == nullptr)
        return E_POINTER;
    const std::optional<Setting> setting = settingNamed(name);
    if (!setting) {
        trace(TraceLevel::Error, TraceOp::SetProperty, "prop invalid");
        return E_INVALIDARG;
    }
    Variant converted;
    if (*setting == Setting::NetTimeout || *setting == Setting::DataTimeout) {
        const HRESULT hr = VariantChangeType(converted.get(), value, 0, VT_I4);
        if (FAILED(hr)) {
            trace(TraceLevel::Error, TraceOp::ParseTimeout, "bad format, e=0x%x",
                  static_cast<unsigned>(hr));
            return E_INVALIDARG;
        }
        const LONG ms = V_I4(converted.get());
        if (ms <= 0) {
            trace(TraceLevel::Error, TraceOp::ParseTimeout, "timeout <= 0");
            return E_INVALIDARG;
        }
        (*setting == Setting::NetTimeout ? m_netTimeoutMs : m_dataTimeoutMs) =
            static_cast<DWORD>(ms);
        return S_OK;
    }
    const HRESULT hr = VariantChangeType(converted.get(), value, 0, VT_BSTR);
    if (FAILED(hr)) {
        trace(TraceLevel::Error, TraceOp::SetProperty, "bad format, e=0x%x",
              static_cast<unsigned>(hr));
        return E_INVALIDARG;
    }
    (*setting == Setting::User ? m_user : m_password) = bstrToUtf8(V_BSTR(converted.get()));
    return S_OK;
}

HRESULT readBody(HTTPStreamClient& client, std::size_t limit, std::size_t piece, std::string& body,
                 bool* complete)
{
    body.clear();
    if (complete != nullptr)
        *complete = false;
    if (piece == 0)
        return E_INVALIDARG;
    const auto deadline = std::chrono::steady_clock::now() + milliseconds(kWholeReplyWaitMs);
    while (body.size() < limit) {
        if (std::chrono::steady_clock::now() > deadline)
            return fromHttpError(http::HttpError::Timeout);
        const std::size_t at = body.size();
        body.resize(at + std::min(piece, limit - at));
        std::size_t count = 0;
        const HRESULT hr = client.GetData(body.size() - at, body.data() + at, &count);
        body.resize(at + count);
        if (FAILED(hr))
            return hr;
        if (count == 0) {
            if (complete != nullptr)
                *complete = true;
            return S_OK;
        }
    }
    return S_OK;
}

} // namespace foldra
