#include "control/CamHTTPStreamClient.h"

#include "platform/http/Connection.h"
#include "platform/http/Request.h"
#include "platform/http/Session.h"
#include "platform/http/Url.h"

#include <chrono>
#include <cstring>
#include <string>

namespace pictra {
namespace {

using namespace orvel::http;

std::atomic<DWORD>* optionOf(std::string_view name, std::atomic<DWORD>& net,
                             std::atomic<DWORD>& data)
{
    if (name == "net_timeout")
        return &net;
    if (name == "data_timeout")
        return &data;
    return nullptr;
}

} // namespace

CamHTTPStreamClient::CamHTTPStreamClient() = default;

CamHTTPStreamClient::~CamHTTPStreamClient()
{
    Close();
}

HRESULT CamHTTPStreamClient::Open(std::string_view url, DWORD* status)
{
    if (!status)
        return E_POINTER;
    Close();
    const std::optional<Url> parts = Url::crack(url);
    if (!parts)
        return E_FAIL;
    const auto netTimeout = std::chrono::milliseconds(m_netTimeout.load());
    Session::Options options;
    options.agent = "CamHTTPStreamClient";
    options.connectTimeout = netTimeout;
    options.receiveTimeout = netTimeout;
    m_session = Session::create(options);
    m_connection = m_session->connect(parts->host, parts->port, parts->user, parts->password);
    if (!m_connection)
        return E_FAIL;
    DWORD flags = FlagReload | FlagNoCacheWrite | FlagKeepConnection | FlagPragmaNoCache;
    if (parts->scheme == "https")
        flags |= FlagSecure;
    m_request = m_connection->openRequest("GET", parts->path, flags);
    if (!m_request)
        return E_FAIL;
    {
        std::lock_guard lock(m_abortMutex);
        m_abortable = m_request;
    }

    // The send runs on a thread of its own so that a camera that never answers costs at most
    // net_timeout here.
    struct SendState {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        HttpError error = HttpError::None;
    };
    auto state = std::make_shared<SendState>();
    std::shared_ptr<Request> request = m_request;
    std::thread sender([state, request] {
        const HttpError e = request->send();
        std::lock_guard lock(state->mutex);
        state->error = e;
        state->finished = true;
        state->done.notify_all();
    });
    bool finished;
    {
        std::unique_lock lock(state->mutex);
        finished = state->done.wait_for(lock, netTimeout, [&] { return state->finished; });
    }
    if (!finished)
        m_request->close();
    sender.join();
    if (!finished || state->error != HttpError::None) {
        Close();
        return E_FAIL;
    }
    *status = static_cast<DWORD>(m_request->statusCode());
    return S_OK;
}

void CamHTTPStreamClient::readerLoop()
{
    // Called on the reader thread.
    std::shared_ptr<Request> request = m_request;
    for (;;) {
        void* buffer;
        DWORD size;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [&] { return m_start || m_quit; });
            if (m_quit)
                break;
            m_start = false;
            buffer = m_buffer;
            size = m_size;
        }
        std::size_t count = 0;
        const HttpError e = request->read(buffer, size, count);
        // The end of an endless body is as final as a failed read.
        const bool failed = e != HttpError::None || count == 0;
        std::lock_guard lock(m_mutex);
        m_count = static_cast<DWORD>(count);
        m_readFailed = failed;
        m_done = true;
        m_wake.notify_all();
        if (failed)
            break;
    }
}

HRESULT CamHTTPStreamClient::Read(DWORD size, void* buffer, DWORD* count)
{
    if (!buffer || !count)
        return E_POINTER;
    if (!m_request)
        return E_HANDLE;
    *count = 0;
    if (!m_reader.joinable()) {
        std::lock_guard lock(m_mutex);
        m_quit = m_start = m_done = m_readFailed = false;
        try {
            m_reader = std::thread([this] { readerLoop(); });
        } catch (const std::system_error&) {
            return E_FAIL;
        }
    }
    bool done;
    {
        std::unique_lock lock(m_mutex);
        m_buffer = buffer;
        m_size = size;
        m_count = 0;
        m_done = false;
        m_start = true;
        m_wake.notify_all();
        done = m_wake.wait_for(lock, std::chrono::milliseconds(m_dataTimeout.load()),
                               [&] { return m_done; });
        if (done) {
            *count = m_count;
            if (!m_readFailed)
                return S_OK;
        }
    }
    // Timed out or failed: the request goes, which also frees a read still blocked in it.
    m_request->close();
    stopReader();
    m_request.reset();
    return E_FAIL;
}

void CamHTTPStreamClient::stopReader()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_wake.notify_all();
    }
    if (m_reader.joinable())
        m_reader.join();
    std::lock_guard lock(m_mutex);
    m_buffer = nullptr;
    m_size = 0;
}

HRESULT CamHTTPStreamClient::QueryInfo(DWORD level, DWORD* length, char* buffer)
{
    if (!length || !buffer)
        return E_POINTER;
    if (!m_request)
        return E_FAIL;
    std::optional<std::string> text;
    switch (level) {
    case HTTP_QUERY_CONTENT_TYPE:
        text = m_request->contentType();
        break;
    case HTTP_QUERY_CONTENT_LENGTH:
        text = m_request->header("Content-Length");
        break;
    case HTTP_QUERY_STATUS_CODE:
        if (m_request->statusCode() > 0)
            text = std::to_string(m_request->statusCode());
        break;
    case HTTP_QUERY_STATUS_TEXT:
        if (m_request->statusCode() > 0)
            text = m_request->statusText();
        break;
    case HTTP_QUERY_RAW_HEADERS_CRLF:
        if (m_request->statusCode() > 0)
            text = m_request->rawHeaders();
        break;
    default:
        return E_FAIL;
    }
    if (!text)
        return E_FAIL;
    // Room for the text and its terminating zero.
    if (*length < text->size() + 1) {
        *length = static_cast<DWORD>(text->size() + 1);
        return E_FAIL;
    }
    std::memcpy(buffer, text->c_str(), text->size() + 1);
    *length = static_cast<DWORD>(text->size());
    return S_OK;
}

void CamHTTPStreamClient::abort()
{
    std::lock_guard lock(m_abortMutex);
    if (m_abortable)
        m_abortable->close();
}

HRESULT CamHTTPStreamClient::Close()
{
    {
        std::lock_guard lock(m_abortMutex);
        m_abortable.reset();
    }
    if (m_request)
        m_request->close();
    stopReader();
    m_request.reset();
    m_connection.reset();
    m_session.reset();
    return S_OK;
}

HRESULT CamHTTPStreamClient::GetOption(std::string_view name, VARIANT* value)
{
    std::atomic<DWORD>* option = optionOf(name, m_netTimeout, m_dataTimeout);
    if (!option)
        return E_INVALIDARG;
    if (!value)
        return E_POINTER;
    VariantClear(value);
    value->vt = VT_I4;
    value->lVal = static_cast<LONG>(option->load());
    return S_OK;
}

HRESULT CamHTTPStreamClient::SetOption(std::string_view name, const VARIANT* value)
{
    std::atomic<DWORD>* option = optionOf(name, m_netTimeout, m_dataTimeout);
    if (!option || !value)
        return E_INVALIDARG;
    Variant converted;
    if (FAILED(VariantChangeType(converted.get(), value, 0, VT_I4)) || converted.get()->lVal <= 0)
        return E_INVALIDARG;
    option->store(static_cast<DWORD>(converted.get()->lVal));
    return S_OK;
}

} // namespace pictra
