#include "platform/http/Session.h"

#include "platform/http/Connection.h"
#include "platform/http/Request.h"

#include <cstdlib>

namespace orvel::http {

namespace {

bool envSet(const char* name)
{
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0';
}

} // namespace

bool proxyConfigured()
{
    return envSet("http_proxy") || envSet("all_proxy") || envSet("ALL_PROXY");
}

std::shared_ptr<Session> Session::create(Options options)
{
    initializeHttpLibrary();
    return std::shared_ptr<Session>(new Session(std::move(options)));
}

Session::Session(Options options)
    : m_options(std::move(options)), m_connectTimeoutMs(m_options.connectTimeout.count()),
      m_receiveTimeoutMs(m_options.receiveTimeout.count())
{}

Session::~Session() = default;

void Session::setStatusCallback(StatusCallback callback)
{
    std::shared_ptr<const StatusCallback> next;
    if (callback)
        next = std::make_shared<const StatusCallback>(std::move(callback));
    std::lock_guard lock(m_callbackMutex);
    m_callback = std::move(next);
}

void Session::report(Context context, HttpStatus status) const
{
    if (context == 0)
        return;
    std::shared_ptr<const StatusCallback> callback;
    {
        std::lock_guard lock(m_callbackMutex);
        callback = m_callback;
    }
    // Called outside the lock: the callback may well replace itself.
    if (callback)
        (*callback)(context, status);
}

std::unique_ptr<Connection> Session::connect(std::string host, std::uint16_t port, std::string user,
                                             std::string password, Context context)
{
    if (host.empty() || port == 0)
        return nullptr;
    return std::make_unique<Connection>(shared_from_this(), std::move(host), port, std::move(user),
                                        std::move(password), context);
}

Connection::Connection(std::shared_ptr<Session> session, std::string host, std::uint16_t port,
                       std::string user, std::string password, Context context)
    : m_session(std::move(session)), m_host(std::move(host)), m_port(port), m_user(std::move(user)),
      m_password(std::move(password)), m_context(context)
{}

std::shared_ptr<Request> Connection::openRequest(std::string verb, std::string path, DWORD flags,
                                                 Context context) const
{
    Request::Target target;
    target.verb = std::move(verb);
    target.host = m_host;
    target.port = m_port;
    target.path = path.empty() ? "/" : std::move(path);
    target.user = m_user;
    target.password = m_password;
    target.flags = flags;
    target.context = context;
    return Request::create(m_session, std::move(target));
}

} // namespace orvel::http
