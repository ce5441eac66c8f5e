#include "control/PtzSender.h"

#include "platform/http/Connection.h"
#include "platform/http/Request.h"
#include "platform/http/Session.h"
#include "platform/http/Url.h"

#include <array>

namespace pictra {

PtzSender::PtzSender()
{
    // The TLS library keeps state of the thread it starts on: start it here, not on the worker.
    orvel::http::initializeHttpLibrary();
}

PtzSender::~PtzSender()
{
    {
        std::lock_guard hold(m_mutex);
        m_stopping = true;
        m_queue.clear();
        if (m_inFlight)
            m_inFlight->close();
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

bool PtzSender::send(std::string url)
{
    if (!orvel::http::Url::crack(url))
        return false;
    std::lock_guard hold(m_mutex);
    if (m_stopping || m_queue.size() >= kMaxQueued)
        return false;
    m_queue.push_back(std::move(url));
    if (!m_thread.joinable())
        m_thread = std::thread([this] { run(); });
    m_wake.notify_one();
    return true;
}

void PtzSender::run()
{
    for (;;) {
        std::string url;
        {
            std::unique_lock hold(m_mutex);
            m_wake.wait(hold, [this] { return m_stopping || !m_queue.empty(); });
            if (m_stopping)
                return;
            url = std::move(m_queue.front());
            m_queue.pop_front();
        }
        fetch(url);
    }
}

void PtzSender::fetch(const std::string& url)
{
    using namespace orvel::http;
    std::optional<Url> parts = Url::crack(url);
    if (!parts)
        return;
    if (!m_session) {
        Session::Options options;
        options.agent = "CamImage";
        options.connectTimeout = std::chrono::milliseconds(kTimeoutMs);
        options.receiveTimeout = std::chrono::milliseconds(kTimeoutMs);
        m_session = Session::create(options);
        if (!m_session)
            return;
    }
    std::unique_ptr<Connection> connection =
        m_session->connect(parts->host, parts->port, parts->user, parts->password);
    if (!connection)
        return;
    DWORD flags = FlagReload | FlagNoCacheWrite | FlagPragmaNoCache;
    if (parts->scheme == "https")
        flags |= FlagSecure;
    std::shared_ptr<Request> request = connection->openRequest("GET", parts->path, flags);
    if (!request)
        return;
    {
        std::lock_guard hold(m_mutex);
        if (m_stopping)
            return;
        m_inFlight = request;
    }
    if (request->send() == HttpError::None) {
        std::array<char, 4096> buffer;
        std::size_t total = 0;
        std::size_t count = 0;
        while (total < kMaxAnswerBytes &&
               request->read(buffer.data(), buffer.size(), count) == HttpError::None && count > 0)
            total += count;
    }
    request->close();
    std::lock_guard hold(m_mutex);
    m_inFlight.reset();
}

} // namespace pictra
