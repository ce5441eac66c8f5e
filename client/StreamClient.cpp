#include "client/StreamClient.h"

#include "client/DefaultDataObject.h"
#include "client/ModuleState.h"
#include "client/MultipartSplitter.h"
#include "client/Resources.h"
#include "client/ThreadRegistry.h"
#include "platform/base/AsciiCase.h"
#include "platform/base/ThreadAffinity.h"
#include "platform/base/ThreadPriority.h"
#include "platform/com/Runtime.h"
#include "platform/com/TaskMemory.h"
#include "platform/http/Prompts.h"
#include "platform/http/Url.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace lumin {

namespace http = orvel::http;

namespace {

constexpr DWORD kRequestFlags =
    http::FlagReload | http::FlagNoCacheWrite | http::FlagKeepConnection | http::FlagPragmaNoCache;
constexpr DWORD kSecureFlags =
    http::FlagSecure | http::FlagIgnoreCertCnInvalid | http::FlagIgnoreCertDateInvalid;
// Long enough for any thread start; only a broken system hits it.
constexpr DWORD kStartWaitMs = 10000;
constexpr DWORD kStopWaitMs = 2000;
constexpr DWORD kSimpleAbortWaitMs = 2000;
constexpr std::size_t kSimpleReadPiece = 1460;

UI4 nextIdentity()
{
    static std::atomic<UI4> counter{0};
    UI4 id = ++counter;
    if (id == 0)
        id = ++counter;
    return id;
}

// Worker threads hold the library's live count, so the library is not unloaded under a thread
// that was left hanging in a sink.
template <typename F> bool startWorker(std::thread& worker, F body)
{
    try {
        auto hold = std::make_shared<LiveCountHold>(&moduleLiveCount());
        worker = std::thread([hold, body = std::move(body)]() mutable { body(); });
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

// Joins a worker that has ended (its end signal is set) so that nothing of it outlives the
// stop; leaves one that hangs to finish by itself.
void finishWorker(std::thread& worker, bool ended)
{
    if (!worker.joinable())
        return;
    if (ended)
        worker.join();
    else
        worker.detach();
}

// Refills the data object with one part, as the request thread does: the header pairs as
// properties, then the bytes. Caller holds the client lock.
void refill(ICamDataObject* object, std::string_view part, const HeaderList& headers,
            bool lockObject)
{
    if (lockObject)
        object->Lock();
    for (const auto& [name, value] : headers) {
        Bstr n(name);
        Bstr v(value);
        object->SetProperty(n.get(), v.get());
    }
    object->SetData(static_cast<DWORD>(part.size()),
                    reinterpret_cast<BYTE*>(const_cast<char*>(part.data())));
    if (lockObject)
        object->Unlock();
}

// The same refill into the client's own data object: the headers without a BSTR each, and the
// part's buffer handed over by the splitter instead of copied (copied when it cannot be).
void refillOwn(DefaultDataObject& object, MultipartSplitter& splitter, std::string_view part,
               const HeaderList& headers, PartBuffer& spare)
{
    object.Lock();
    for (const auto& [name, value] : headers)
        object.setHeader(name, value);
    if (splitter.handOver(spare))
        object.takeData(spare);
    else
        object.SetData(static_cast<DWORD>(part.size()),
                       reinterpret_cast<BYTE*>(const_cast<char*>(part.data())));
    object.Unlock();
}

void deliverStatus(ClientCore& core, UI4 status, BSTR info)
{
    std::vector<ComPtr<ICamRequestSink>> sinks;
    core.sinks(sinks);
    for (const ComPtr<ICamRequestSink>& sink : sinks)
        sink->OnStatusChanged(core.identity, status, info);
}

std::optional<unsigned> statusStringId(http::HttpStatus status)
{
    switch (status) {
    case http::HttpStatus::ConnectingToServer:
        return kStringConnecting;
    case http::HttpStatus::ConnectedToServer:
        return kStringConnected;
    case http::HttpStatus::ClosingConnection:
        return kStringClosing;
    case http::HttpStatus::ConnectionClosed:
        return kStringClosed;
    default:
        return std::nullopt;
    }
}

void updateFrameRate(OpenStream& s)
{
    const DWORD now = GetTickCount();
    if (s.rateTick == 0) {
        s.rateTick = now;
        return;
    }
    ++s.rateCount;
    const DWORD elapsed = now - s.rateTick;
    if (elapsed < 2000)
        return;
    const float rate = static_cast<float>(s.rateCount) * 1000.0f / static_cast<float>(elapsed);
    if (static_cast<int>(rate * 10) != static_cast<int>(s.lastRate * 10)) {
        s.lastRate = rate;
        char text[32];
        std::snprintf(text, sizeof text, "%.1f", rate);
        Bstr info{std::string_view(text)};
        deliverStatus(*s.core, CamStatusFrameRate, info.get());
    }
    s.rateCount = 0;
    s.rateTick = now;
}

void callbackThread(std::shared_ptr<OpenStream> s)
{
    const DWORD id = ThreadRegistry::currentThreadId();
    std::shared_ptr<ThreadEntry> entry = threadRegistry().add(id);
    s->callbackThread = id;
    // Above the reading thread, so that showing a part is not starved by reading the next; a
    // process without the right to raise it keeps the normal priority.
    orvel::setCurrentThreadPriority(orvel::ThreadPriority::AboveNormal);
    logLine(LogLifecycle, "ThreadFuncCallback");
    s->callbackStarted.set();
    Message m;
    std::vector<ComPtr<ICamRequestSink>> sinks; // reused for every part
    while (s->callbackQueue.get(m) == MessageQueue::GetResult::Message) {
        if (m.message == WM_CAM_DATA) {
            if (!entry->stopped) {
                const auto begin = std::chrono::steady_clock::now();
                s->core->sinks(sinks);
                for (const ComPtr<ICamRequestSink>& sink : sinks)
                    sink->OnDataAvailable(s->core->identity, static_cast<UI4>(m.wParam));
                sinks.clear(); // no sink is held between parts
                s->sinkMicros =
                    static_cast<long>(std::chrono::duration_cast<std::chrono::microseconds>(
                                          std::chrono::steady_clock::now() - begin)
                                          .count());
            }
            // Only now may the request thread overwrite the data object.
            if (!entry->stopped) {
                updateFrameRate(*s);
                s->partConsumed.set();
            }
        } else if (m.message == WM_CAM_STATUS && !entry->stopped) {
            if (m.wParam == CamStatusEndReason || m.wParam == CamStatusHttpError) {
                std::string text;
                {
                    std::lock_guard lock(s->reasonMutex);
                    text = m.wParam == CamStatusEndReason ? s->endReason : s->httpError;
                }
                Bstr info(text);
                deliverStatus(*s->core, static_cast<UI4>(m.wParam), info.get());
            } else {
                deliverStatus(*s->core, static_cast<UI4>(m.wParam), nullptr);
            }
        }
    }
    threadRegistry().remove(id);
}

// The callback thread follows the request thread from processor to processor: every part
// passes between the two, and on one processor it stays in that processor's cache and the
// wake-up is cheap. At high part rates this doubles what a stream delivers. Only the
// callback thread is bound; the request thread stays free, so the scheduler still places the
// pair where there is room. Sinks that take long over a part (decoding it, say) gain more
// from reading the next part on another processor meanwhile: then the callback thread is let
// free again (decoding a 640x480 JPEG takes milliseconds; copying it out, microseconds).
constexpr long kQuickSinkMicros = 1000;
constexpr int kFreeProcessor = -2;

void keepCallbackBeside(OpenStream& s)
{
    if (s.sinkMicros.load() > kQuickSinkMicros) {
        if (s.callbackProcessor != kFreeProcessor && orvel::letThreadRunAnywhere(s.callbackThread))
            s.callbackProcessor = kFreeProcessor;
        return;
    }
    const int processor = orvel::currentProcessor();
    if (processor < 0 || processor == s.callbackProcessor)
        return;
    if (orvel::keepThreadOnProcessor(s.callbackThread, processor))
        s.callbackProcessor = processor;
}

// Logs why the request ends and keeps it for the CamStatusEndReason sent before the end.
// Request thread only; the first reason stands.
void noteEndReason(OpenStream& s, const std::string& reason, DWORD level = LogFailure)
{
    logFormatted(level, "Request ends: %s", reason.c_str());
    std::lock_guard lock(s.reasonMutex);
    if (s.endReason.empty())
        s.endReason = reason;
}

std::string describeFailure(http::HttpError e, const http::Request& request)
{
    const std::string detail = request.errorDetail();
    return detail.empty() ? http::describe(e) : http::describe(e) + ": " + detail;
}

// Reads the reply and hands it to the splitter (multipart) or collects it (single part).
void readReply(OpenStream& s, http::Request& request, ThreadEntry& entry)
{
    ClientCore& core = *s.core;
    if (const int status = request.statusCode(); status >= 400) {
        const std::string line = std::to_string(status) + " " + request.statusText();
        logFormatted(LogFailure, "The camera answered %s", line.c_str());
        {
            std::lock_guard lock(s.reasonMutex);
            s.httpError = line;
        }
        s.callbackQueue.post(WM_CAM_STATUS, CamStatusHttpError);
    }
    if (const std::optional<std::string> encoding = request.header("Content-Encoding");
        encoding && !orvel::equalsIgnoringCase(*encoding, "identity")) {
        noteEndReason(s, "the reply's content encoding \"" + *encoding + "\" is not supported");
        return;
    }
    const std::optional<std::string> contentType = request.contentType();
    if (!contentType) {
        logLine(LogFailure, "Query info failed");
        noteEndReason(s, "the reply has no Content-Type");
        return;
    }
    const std::optional<std::string> marker = boundaryMarker(*contentType);
    if (!marker)
        noteEndReason(s, "the reply is not a multipart stream (Content-Type: " + *contentType + ")",
                      LogStatus);
    HeaderList headers;
    if (!marker && !entry.stopped) {
        const std::string raw = request.rawHeaders();
        std::size_t pos = 0;
        parseHeaderBlock(raw, pos, headers);
    }

    std::optional<MultipartSplitter> splitter;
    PartBuffer spare; // what the data object gives back for the next part
    auto deliver = [&](std::string_view part, const HeaderList& partHeaders) {
        {
            CriticalSectionLocker hold(core.clientLock);
            // Nobody to hand it to: dropped, without waiting for a hand-off that never comes.
            if (!core.dataObject)
                return true;
        }
        s.partConsumed.wait(INFINITE);
        if (entry.stopped)
            return false;
        const UI4 type = partType(partHeaders);
        {
            CriticalSectionLocker hold(core.clientLock);
            if (!core.dataObject) {
                s.partConsumed.set();
                return true;
            }
            if (core.ownObject != nullptr && splitter)
                refillOwn(*core.ownObject, *splitter, part, partHeaders, spare);
            else
                refill(core.dataObject.get(), part, partHeaders, true);
        }
        keepCallbackBeside(s);
        s.callbackQueue.post(WM_CAM_DATA, type);
        const UI4 delay = entry.delay;
        if (delay != 0 && !entry.stopped)
            s.stopSignal.wait(delay);
        return !entry.stopped.load();
    };

    if (marker) {
        splitter.emplace(*marker, deliver);
        splitter->onSkipped([](std::string_view why) {
            logFormatted(LogFailure, "Part skipped: %.*s", static_cast<int>(why.size()),
                         why.data());
        });
    }
    std::vector<char> body;
    std::vector<char> buffer(splitter ? 0 : s.readSize);
    // Each read goes to the splitter straight from the transfer's buffer: one copy of every
    // byte of the stream, into the part being assembled.
    MultipartSplitter::Result r = MultipartSplitter::Result::Continue;
    const http::Request::Consumer toSplitter = [&](const char* data, std::size_t size) {
        r = splitter->feed(data, size);
        return r == MultipartSplitter::Result::Continue && !entry.stopped;
    };
    while (!entry.stopped) {
        std::size_t count = 0;
        if (splitter) {
            const http::HttpError e = request.readEach(s.readSize, toSplitter, count);
            if (r == MultipartSplitter::Result::TooLarge) {
                logLine(LogFailure, "!!! Out of memory !!!");
                noteEndReason(s, "a part is larger than " +
                                     std::to_string(kCamMaxPartBytes / (1024 * 1024)) + " MiB");
                break;
            }
            if (e != http::HttpError::None && !entry.stopped)
                noteEndReason(s, "the stream broke off: " + describeFailure(e, request));
            if (r == MultipartSplitter::Result::Stopped || e != http::HttpError::None || count == 0)
                break;
        } else {
            const http::HttpError e = request.read(buffer.data(), s.readSize, count);
            if (e != http::HttpError::None && !entry.stopped)
                noteEndReason(s, "the reply broke off: " + describeFailure(e, request));
            if (e != http::HttpError::None || count == 0)
                break;
            if (body.size() + count > kCamMaxPartBytes) {
                logLine(LogFailure, "!!! Out of memory !!!");
                noteEndReason(s, "the reply is larger than " +
                                     std::to_string(kCamMaxPartBytes / (1024 * 1024)) + " MiB");
                body.clear();
                break;
            }
            body.insert(body.end(), buffer.data(), buffer.data() + count);
        }
    }

    if (!marker && !body.empty() && !entry.stopped) {
        const UI4 type = partType(headers);
        bool delivered = false;
        {
            CriticalSectionLocker hold(core.clientLock);
            if (core.dataObject) {
                refill(core.dataObject.get(), std::string_view(body.data(), body.size()), headers,
                       false);
                delivered = true;
            }
        }
        if (delivered)
            s.callbackQueue.post(WM_CAM_DATA, type);
    }
}

void requestThread(std::shared_ptr<OpenStream> s, UI4 delay)
{
    const DWORD id = ThreadRegistry::currentThreadId();
    std::shared_ptr<ThreadEntry> entry = threadRegistry().add(id, delay);
    s->requestThread = id;
    logLine(LogLifecycle, "ThreadFuncRequest");
    const DWORD flags = kRequestFlags | (s->secure ? kSecureFlags : 0);
    std::shared_ptr<http::Request> request;
    {
        std::lock_guard lock(s->handleMutex);
        if (s->connection)
            request = s->connection->openRequest("GET", s->path, flags, s->core->identity);
        s->request = request;
        if (request && s->handlesClosed)
            request->close();
    }
    s->requestOpened.set();

    if (!request) {
        logLine(LogFailure, "Open request failed");
    } else {
        http::HttpError sent = http::HttpError::None;
        for (;;) {
            sent = request->send();
            if (entry->stopped ||
                http::resolveAfterSend(*request, sent, s->owner) != http::AfterSend::SendAgain)
                break;
        }
        if (sent != http::HttpError::None) {
            if (!entry->stopped) {
                logFormatted(LogFailure, "Send request failed");
                noteEndReason(*s, describeFailure(sent, *request));
            }
        } else {
            readReply(*s, *request, *entry);
        }
    }

    if (!entry->stopped) {
        logLine(LogStatus, "Request thread closing");
        bool haveReason;
        {
            std::lock_guard lock(s->reasonMutex);
            haveReason = !s->endReason.empty();
        }
        if (haveReason)
            s->callbackQueue.post(WM_CAM_STATUS, CamStatusEndReason);
        s->callbackQueue.post(WM_CAM_STATUS, CamStatusStreamEnded);
    }
    request.reset();
    threadRegistry().remove(id);
}

// Reads a simple request's whole body into the thread's result. A body cut short (the
// connection ended or failed before the end, or before its Content-Length) or larger than
// kCamMaxPartBytes is no answer: the result is dropped and the failure recorded, so a half reply
// never passes for a whole one.
void readSimpleReply(DWORD id, const ThreadEntry& entry, http::Request& request,
                     std::vector<BYTE>& piece)
{
    std::size_t total = 0;
    for (;;) {
        std::size_t count = 0;
        const http::HttpError e = request.read(piece.data(), piece.size(), count);
        if (e != http::HttpError::None) {
            if (entry.stopped)
                return;
            const std::optional<std::string> declared = request.header("Content-Length");
            logFormatted(LogFailure, "Simple request failed: %s after %zu bytes%s%s",
                         http::describe(e).c_str(), total, declared ? " of " : "",
                         declared ? declared->c_str() : "");
            threadRegistry().failResult(id, HRESULT_FROM_WIN32(http::errorNumber(e)));
            return;
        }
        if (count == 0)
            return;
        if (count > kCamMaxPartBytes - total) {
            logFormatted(LogFailure, "Simple request failed: the reply is larger than %zu MiB",
                         kCamMaxPartBytes / (1024 * 1024));
            threadRegistry().failResult(id, E_OUTOFMEMORY);
            request.close(); // the rest is not wanted
            return;
        }
        total += count;
        threadRegistry().appendResult(id, piece.data(), count);
    }
}

void simpleRequestThread(std::shared_ptr<OpenStream> s)
{
    const DWORD id = ThreadRegistry::currentThreadId();
    std::shared_ptr<ThreadEntry> entry = threadRegistry().add(id);
    s->simpleThread = id;
    logLine(LogLifecycle, "ThreadFuncAsyncRead");
    s->simpleStarted.set();
    Message m;
    std::vector<BYTE> piece(kSimpleReadPiece);
    while (s->simpleQueue.get(m) == MessageQueue::GetResult::Message) {
        if (m.message != WM_CAM_SIMPLE_JOB)
            continue;
        std::unique_ptr<SimpleJob> job(reinterpret_cast<SimpleJob*>(m.lParam));
        // What an abandoned request read never mixes into this one's answer.
        threadRegistry().clearResult(id);
        // A refused certificate or a 401 goes through the prompts as a stream's request does.
        http::HttpError sent = http::HttpError::None;
        for (;;) {
            sent = job->request->send(std::as_bytes(std::span(job->body)));
            if (entry->stopped ||
                http::resolveAfterSend(*job->request, sent, s->owner) != http::AfterSend::SendAgain)
                break;
        }
        job->body = {};
        if (sent != http::HttpError::None && job->timeout != 0) {
            if (!entry->stopped) {
                logFormatted(LogFailure, "Simple request failed: %s",
                             describeFailure(sent, *job->request).c_str());
                threadRegistry().failResult(id, HRESULT_FROM_WIN32(http::errorNumber(sent)));
            }
        } else if (job->timeout != 0) {
            readSimpleReply(id, *entry, *job->request, piece);
        }
        job.reset();
        s->simpleIdle.set();
    }
    threadRegistry().remove(id);
}

} // namespace

void ClientCore::sinks(std::vector<ComPtr<ICamRequestSink>>& out)
{
    out.clear();
    std::lock_guard lock(m_ownerMutex);
    if (m_sinks != nullptr)
        m_sinks->forEach<ICamRequestSink>([&](ICamRequestSink* sink) { out.emplace_back(sink); });
}

void ClientCore::setOwner(ConnectionPointImpl* point)
{
    std::lock_guard lock(m_ownerMutex);
    m_sinks = point;
}

void ClientCore::forgetOwner()
{
    std::lock_guard lock(m_ownerMutex);
    m_sinks = nullptr;
}

void OpenStream::closeSimpleHandles()
{
    std::shared_ptr<http::Request> request;
    {
        std::lock_guard lock(handleMutex);
        request = std::move(simpleRequest);
        simpleConnection.reset();
    }
    if (request)
        request->close();
}

void OpenStream::closeAllHandles()
{
    std::shared_ptr<http::Request> simple;
    std::shared_ptr<http::Request> stream;
    {
        std::lock_guard lock(handleMutex);
        handlesClosed = true;
        simple = std::move(simpleRequest);
        stream = std::move(request);
        simpleConnection.reset();
        connection.reset();
    }
    if (simple)
        simple->close();
    if (stream)
        stream->close();
}

StreamClient::StreamClient(IConnectionPointContainer* container)
    : m_sinks(container, IID_ICamRequestSink), m_core(std::make_shared<ClientCore>(nextIdentity()))
{
    m_core->setOwner(&m_sinks);
}

StreamClient::~StreamClient()
{
    dataUnadvise();
    stop();
    m_core->forgetOwner();
}

std::unique_ptr<http::Connection> StreamClient::openConnection(OpenStream& stream,
                                                               const std::string& url,
                                                               http::Context context,
                                                               std::string* path, bool* secure)
{
    std::unique_ptr<http::Connection> connection;
    const std::optional<http::Url> parts = http::Url::crack(url);
    if (parts && stream.session) {
        *path = parts->path;
        // Port 443 means TLS, as the camera generations expect; an https URL does too.
        *secure = parts->port == 443 || parts->scheme == "https";
        std::string user = parts->hasUser ? parts->user : m_user.value_or("");
        std::string password = parts->hasPassword ? parts->password : m_password.value_or("");
        connection = stream.session->connect(parts->host, parts->port, std::move(user),
                                             std::move(password), context);
    }
    if (!connection)
        logLine(LogFailure, "OpenConnection failed");
    logFormatted(LogLifecycle, "OpenConnection (Connection: 0x%.8X, Context: 0x%.8X)",
                 static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(connection.get())),
                 static_cast<unsigned>(context));
    return connection;
}

HRESULT StreamClient::openUrl(BSTR bstrUrl, UI4 dwBufSize, HWND hWnd)
{
    if (bstrUrl == nullptr)
        return E_INVALIDARG;
    const std::string url = bstrToUtf8(bstrUrl);
    logFormatted(LogCall, "OpenUrl (%s)", http::maskPassword(url).c_str());
    stop();
    logLine(LogLifecycle, "Start");

    auto s = std::make_shared<OpenStream>();
    s->core = m_core;
    s->url = url;
    s->owner = hWnd;
    s->readSize = dwBufSize != 0 ? dwBufSize : kDefaultReadSize;
    http::Session::Options options;
    options.agent = "Luminent";
    s->session = http::Session::create(options);
    if (!s->session) {
        logLine(LogFailure, "Open internet handle failed");
        return E_HANDLE;
    }
    std::weak_ptr<ClientCore> weakCore = m_core;
    s->session->setStatusCallback([weakCore](http::Context context, http::HttpStatus status) {
        const std::shared_ptr<ClientCore> core = weakCore.lock();
        if (!core || context != core->identity)
            return;
        logLine(LogStatus, std::string(http::statusName(status)).c_str());
        const std::optional<unsigned> textId = statusStringId(status);
        if (!textId || moduleLiveCount().value() <= 0)
            return;
        const std::optional<std::string> text = resourceString(*textId);
        if (!text || text->empty())
            return;
        Bstr info(*text);
        deliverStatus(*core, static_cast<UI4>(status), info.get());
    });
    m_stream = s;

    s->connection = openConnection(*s, url, m_core->identity, &s->path, &s->secure);
    if (!s->connection) {
        stop();
        return E_HANDLE;
    }

    if (!startWorker(s->callbackWorker, [s] { callbackThread(s); }) ||
        !s->callbackStarted.wait(kStartWaitMs) ||
        !startWorker(s->requestWorker, [s, delay = m_delay] { requestThread(s, delay); }) ||
        !s->requestOpened.wait(kStartWaitMs) ||
        !startWorker(s->simpleWorker, [s] { simpleRequestThread(s); }) ||
        !s->simpleStarted.wait(kStartWaitMs)) {
        stop();
        return E_FAIL;
    }
    return S_OK;
}

void StreamClient::stop()
{
    logLine(LogLifecycle, "Stop");
    std::shared_ptr<OpenStream> s = std::move(m_stream);
    if (!s)
        return;
    // The threads are marked stopped before their handles close: a read that the closing ends
    // must not pass for the camera ending the stream (no CamStatusStreamEnded after Close).
    ThreadRegistry& registry = threadRegistry();
    const std::shared_ptr<Event> requestEnded =
        s->requestThread ? registry.markStopped(s->requestThread) : nullptr;
    const std::shared_ptr<Event> callbackEnded =
        s->callbackThread ? registry.markStopped(s->callbackThread) : nullptr;
    const std::shared_ptr<Event> simpleEnded =
        s->simpleThread ? registry.markStopped(s->simpleThread) : nullptr;
    s->closeAllHandles();
    s->session->setStatusCallback({});
    s->stopSignal.set();
    s->callbackQueue.postQuit();
    s->simpleQueue.postQuit();
    if (!s->partConsumed.isSet())
        s->partConsumed.set();

    const bool requestDone = !requestEnded || requestEnded->wait(kStopWaitMs);
    if (!requestDone)
        logLine(LogFailure, "Request thread hanging");
    const bool callbackDone = !callbackEnded || callbackEnded->wait(kStopWaitMs);
    if (!callbackDone)
        logLine(LogFailure, "Callback thread hanging");
    const bool simpleDone = !simpleEnded || simpleEnded->wait(kStopWaitMs);
    if (!simpleDone)
        logLine(LogFailure, "Simple request thread hanging");
    finishWorker(s->requestWorker, requestDone);
    finishWorker(s->callbackWorker, callbackDone);
    finishWorker(s->simpleWorker, simpleDone);
}

HRESULT StreamClient::close()
{
    logLine(LogCall, "Close");
    m_delay = 0;
    stop();
    return S_OK;
}

HRESULT StreamClient::dataAdvise(IUnknown* pUnk, CLSID* pclsidDataObject, UI4* pdwAdviseCookie)
{
    logLine(LogCall, "DataAdvise");
    if (m_adviseCookie != 0) {
        m_sinks.Unadvise(m_adviseCookie);
        m_adviseCookie = 0;
    }
    DWORD cookie = 0;
    HRESULT hr = m_sinks.Advise(pUnk, &cookie);
    if (pdwAdviseCookie != nullptr)
        *pdwAdviseCookie = m_core->identity;
    if (SUCCEEDED(hr)) {
        m_adviseCookie = cookie;
        CriticalSectionLocker hold(m_core->clientLock);
        m_core->dataObject.reset();
        m_core->ownObject = nullptr;
        ComPtr<ICamDataObject> object;
        if (pclsidDataObject == nullptr) {
            hr = DefaultDataObject::createInstance(nullptr, IID_ICamDataObject, object.putVoid());
            if (SUCCEEDED(hr))
                m_core->ownObject = static_cast<DefaultDataObject*>(object.get());
        } else {
            hr = CoCreateInstance(*pclsidDataObject, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_ICamDataObject, object.putVoid());
        }
        m_core->dataObject = std::move(object);
    }
    if (FAILED(hr))
        logError(hr);
    return hr;
}

HRESULT StreamClient::dataUnadvise()
{
    HRESULT hr = S_OK;
    if (m_adviseCookie != 0) {
        logLine(LogCall, "DataUnadvise");
        hr = m_sinks.Unadvise(m_adviseCookie);
        m_adviseCookie = 0;
    }
    CriticalSectionLocker hold(m_core->clientLock);
    m_core->dataObject.reset();
    m_core->ownObject = nullptr;
    return hr;
}

HRESULT StreamClient::setDelay(UINT nDelay)
{
    m_delay = nDelay;
    if (m_stream && m_stream->requestThread != 0)
        threadRegistry().setDelay(m_stream->requestThread, nDelay);
    logFormatted(LogCall, "SetDelay (%d)", static_cast<int>(nDelay));
    return S_OK;
}

HRESULT StreamClient::queryDataObject(GUID* iidDataObject, void** ppDataObject)
{
    HRESULT hr = E_POINTER;
    {
        CriticalSectionLocker hold(m_core->clientLock);
        if (m_core->dataObject && iidDataObject != nullptr && ppDataObject != nullptr)
            hr = m_core->dataObject->QueryInterface(*iidDataObject, ppDataObject);
    }
    if (hr != S_OK)
        logError(hr);
    return hr;
}

HRESULT StreamClient::setUser(BSTR bstrUser, BSTR bstrPassword)
{
    const std::string user = bstrToUtf8(bstrUser);
    const std::string password = bstrToUtf8(bstrPassword);
    m_user = user.empty() ? std::nullopt : std::optional<std::string>(user);
    m_password = password.empty() ? std::nullopt : std::optional<std::string>(password);
    return S_OK;
}

HRESULT StreamClient::sendRequest(const char* verb, UI4 dwTimeout, BSTR bstrUrl, UI4 dwSizePost,
                                  UI1* pbyPost, UI4* pdwSizeReturned, UI1** ppbyReturned)
{
    const bool post = std::strcmp(verb, "POST") == 0;
    if (bstrUrl == nullptr || (post && (pbyPost == nullptr || dwSizePost == 0)) ||
        (dwTimeout != 0 && (pdwSizeReturned == nullptr || ppbyReturned == nullptr)))
        return E_INVALIDARG;
    const std::string url = bstrToUtf8(bstrUrl);
    logFormatted(LogCall, post ? "SendPOSTRequest (%s)" : "SendGETRequest (%s)",
                 http::maskPassword(url).c_str());

    const std::shared_ptr<OpenStream> s = m_stream;
    if (!s)
        return S_OK;
    if (dwTimeout != 0) {
        s->closeSimpleHandles(); // aborts one still in flight
        if (!s->simpleIdle.wait(kSimpleAbortWaitMs))
            return E_FAIL;
    } else {
        if (!s->simpleIdle.isSet())
            return S_FALSE;
        s->closeSimpleHandles();
    }

    std::string path;
    bool secure = false;
    std::unique_ptr<http::Connection> connection = openConnection(*s, url, 0, &path, &secure);
    if (!connection)
        return S_OK;
    std::shared_ptr<http::Request> request =
        connection->openRequest(verb, path, kRequestFlags | (secure ? kSecureFlags : 0), 0);
    if (!request)
        return S_OK;
    {
        std::lock_guard lock(s->handleMutex);
        if (s->handlesClosed)
            return S_OK;
        s->simpleConnection = std::move(connection);
        s->simpleRequest = request;
    }

    auto job = std::make_unique<SimpleJob>();
    job->request = request;
    job->timeout = dwTimeout;
    if (post)
        job->body.assign(pbyPost, pbyPost + dwSizePost);
    s->simpleIdle.reset();
    if (!s->simpleQueue.post(WM_CAM_SIMPLE_JOB, 0, reinterpret_cast<LPARAM>(job.get()))) {
        s->simpleIdle.set();
        return S_OK;
    }
    job.release(); // the simple-request thread frees it
    if (dwTimeout == 0)
        return S_OK;

    const bool done = s->simpleIdle.wait(dwTimeout);
    s->closeSimpleHandles();
    HRESULT hr = S_OK;
    const DWORD thread = s->simpleThread;
    if (done) {
        HRESULT failure = S_OK;
        std::vector<BYTE> body = threadRegistry().takeResult(thread, &failure);
        if (FAILED(failure)) {
            *pdwSizeReturned = 0;
            hr = failure;
        } else if (body.empty()) {
            *pdwSizeReturned = 0;
            hr = E_FAIL;
        } else {
            auto* block = static_cast<BYTE*>(CoTaskMemAlloc(body.size() + 1));
            if (block == nullptr) {
                logLine(LogFailure, "!!! Out of memory !!!");
                hr = E_FAIL;
            } else {
                std::memcpy(block, body.data(), body.size());
                block[body.size()] = 0;
                *pdwSizeReturned = static_cast<UI4>(body.size() + 1);
                *ppbyReturned = block;
            }
        }
    }
    threadRegistry().clearResult(thread);
    return hr;
}

} // namespace lumin
