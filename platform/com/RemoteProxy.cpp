// Creator side of a local server: starting the program, the connection to it, and the proxy
// that stands for the object in its process.

#include "platform/com/Bstr.h"
#include "platform/com/LocalActivation.h"
#include "platform/com/LocalServer.h"
#include "platform/com/MessageChannel.h"
#include "platform/com/RemoteInterface.h"

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<int> g_startMs{20000};
std::atomic<int> g_callMs{30000};

// Servers whose proxies are gone but which had not ended yet (a recorder keeps recording).
std::mutex g_unreapedMutex;
std::vector<pid_t> g_unreaped; // guarded by g_unreapedMutex

void reapOrRemember(pid_t pid)
{
    if (pid <= 0)
        return;
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == 0) {
        std::lock_guard lock(g_unreapedMutex);
        g_unreaped.push_back(pid);
    }
}

// Identifies the proxy itself (localServerProcessId); never crosses a process.
constexpr IID IID_RemoteObject = makeGuid("{6F1D2C0A-3B7E-4C55-9A41-0E2B7D9C5A13}");

// The connection to one server process. Calls are serialised: one request and its reply at a
// time, each bounded by a deadline; after a time-out or a broken connection it stays broken, so
// a late reply can never be taken for the answer to a later call.
class Connection {
public:
    Connection(int fd, pid_t pid) : m_channel(std::make_unique<MessageChannel>(fd)), m_pid(pid) {}
    ~Connection()
    {
        m_channel.reset(); // the server sees the end of the connection
        reapOrRemember(m_pid);
    }

    pid_t pid() const { return m_pid; }

    HRESULT request(const std::vector<std::uint8_t>& message, int timeoutMs, HRESULT* hr,
                    VARIANT* result)
    {
        auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        CallTurn turn(this, deadline);
        if (!turn.taken)
            return RPC_E_TIMEOUT;
        if (m_broken)
            return RPC_E_DISCONNECTED;
        MessageChannel::Result sent = m_channel->send(message, deadline);
        std::vector<std::uint8_t> reply;
        MessageChannel::Result got =
            sent == MessageChannel::Result::Ok ? m_channel->receive(&reply, deadline) : sent;
        if (got != MessageChannel::Result::Ok) {
            m_broken = true;
            return got == MessageChannel::Result::Timeout ? RPC_E_TIMEOUT : RPC_E_DISCONNECTED;
        }
        MessageReader r(reply);
        if (static_cast<MessageKind>(r.u8()) != MessageKind::Reply) {
            m_broken = true;
            return RPC_E_SERVERFAULT;
        }
        *hr = r.i32();
        Variant value;
        if (!r.variant(value.get()) || !r.atEnd()) {
            m_broken = true;
            return RPC_E_SERVERFAULT;
        }
        if (result) {
            VariantClear(result);
            *result = value.detach();
        }
        return S_OK;
    }

    // Ends a server that never answered its creation: nobody else will ever talk to it.
    void killServer()
    {
        if (m_pid > 0)
            ::kill(m_pid, SIGKILL);
    }

private:
    // One call at a time; a caller waits for its turn no longer than its own deadline.
    struct CallTurn {
        Connection* c;
        bool taken;
        CallTurn(Connection* connection, Clock::time_point deadline) : c(connection)
        {
            std::unique_lock lock(c->m_turnMutex);
            taken = c->m_turnFree.wait_until(lock, deadline, [&] { return !c->m_inCall; });
            if (taken)
                c->m_inCall = true;
        }
        ~CallTurn()
        {
            if (!taken)
                return;
            std::lock_guard lock(c->m_turnMutex);
            c->m_inCall = false;
            c->m_turnFree.notify_one();
        }
    };

    std::mutex m_turnMutex;
    std::condition_variable m_turnFree;
    bool m_inCall = false;                     // guarded by m_turnMutex
    std::unique_ptr<MessageChannel> m_channel; // used by the caller holding the turn
    bool m_broken = false;                     // used by the caller holding the turn
    pid_t m_pid;
};

// The proxy's IDispatch for callers that know no interface of the object: names resolve in
// the server, calls go to the object's own IDispatch.
class RemoteDispatch final : public RemoteFacet<IDispatch> {
public:
    RemoteDispatch(RemoteOwner* owner, Connection* connection)
        : RemoteFacet(owner), m_connection(connection)
    {}
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        if (!IsEqualIID(riid, IID_NULL))
            return DISP_E_UNKNOWNINTERFACE;
        if (count == 0)
            return S_OK;
        if (!names || !ids)
            return E_INVALIDARG;
        for (UINT i = 0; i < count; ++i)
            ids[i] = DISPID_UNKNOWN;
        if (!names[0])
            return DISP_E_UNKNOWNNAME;
        MessageWriter w;
        w.u8(static_cast<std::uint8_t>(MessageKind::Names));
        w.guid(IID_IDispatch);
        Bstr name(names[0]);
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_BSTR;
        value.bstrVal = name.get();
        if (HRESULT hr = w.variant(value); FAILED(hr))
            return hr;
        HRESULT answer = E_FAIL;
        Variant id;
        if (HRESULT hr = m_connection->request(w.bytes(), g_callMs.load(), &answer, id.get());
            FAILED(hr))
            return hr;
        if (FAILED(answer))
            return answer;
        if (id.get()->vt != VT_I4)
            return RPC_E_SERVERFAULT;
        ids[0] = id.get()->lVal;
        return count > 1 ? DISP_E_UNKNOWNNAME : S_OK; // parameter names are not resolved
    }

private:
    Connection* m_connection; // owned by the proxy, which outlives its facets
};

// The proxy's identity. Interfaces are answered after asking the server once; the facet of a
// dual interface comes from the module that declared it remotable.
class RemoteObject final : public RemoteOwner {
public:
    explicit RemoteObject(std::unique_ptr<Connection> connection)
        : m_connection(std::move(connection)), m_dispatch(this, m_connection.get())
    {}

    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_RemoteObject))
            *ppv = static_cast<IUnknown*>(this);
        else if (IsEqualIID(riid, IID_IDispatch)) {
            if (supports(riid))
                *ppv = static_cast<IDispatch*>(&m_dispatch);
        } else if (const RemoteInterfaceInfo* info = findRemoteInterface(riid)) {
            *ppv = facet(riid, info);
        }
        if (!*ppv)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return m_refs.fetch_add(1, std::memory_order_relaxed) + 1; }
    ULONG Release() override
    {
        ULONG left = m_refs.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT remoteInvoke(REFIID iid, DISPID dispid, WORD flags, DISPPARAMS* params,
                         VARIANT* result) override
    {
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        if (!params)
            params = &none;
        if (params->cArgs && !params->rgvarg)
            return E_INVALIDARG;
        bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
        if (params->cNamedArgs > (put ? 1u : 0u))
            return DISP_E_NONAMEDARGS;
        MessageWriter w;
        w.u8(static_cast<std::uint8_t>(MessageKind::Invoke));
        w.guid(iid);
        w.i32(dispid);
        w.u16(flags);
        w.u32(params->cArgs);
        for (UINT i = 0; i < params->cArgs; ++i) {
            if (HRESULT hr = w.variant(params->rgvarg[i]); FAILED(hr))
                return hr;
        }
        HRESULT answer = E_FAIL;
        if (HRESULT hr = m_connection->request(w.bytes(), g_callMs.load(), &answer, result);
            FAILED(hr))
            return hr;
        return answer;
    }

    pid_t pid() const { return m_connection->pid(); }

private:
    // An interface the server was asked about; its facet once a caller got it.
    struct Known {
        IID iid;
        bool supported;
        const RemoteInterfaceInfo* info = nullptr;
        IDispatch* facet = nullptr;
    };

    ~RemoteObject()
    {
        for (Known& k : m_known) {
            if (k.facet)
                k.info->destroyFacet(k.facet);
        }
    }

    // Asks the server once whether its object answers iid; a failed connection is not
    // remembered as an answer. Called with m_queryMutex held.
    Known* known(REFIID iid)
    {
        for (Known& k : m_known) {
            if (IsEqualIID(k.iid, iid))
                return &k;
        }
        MessageWriter w;
        w.u8(static_cast<std::uint8_t>(MessageKind::Query));
        w.guid(iid);
        HRESULT answer = E_NOINTERFACE;
        if (FAILED(m_connection->request(w.bytes(), g_callMs.load(), &answer, nullptr)))
            return nullptr;
        m_known.push_back({iid, SUCCEEDED(answer)});
        return &m_known.back();
    }

    bool supports(REFIID iid)
    {
        std::lock_guard lock(m_queryMutex);
        Known* k = known(iid);
        return k && k->supported;
    }

    IDispatch* facet(REFIID iid, const RemoteInterfaceInfo* info)
    {
        std::lock_guard lock(m_queryMutex);
        Known* k = known(iid);
        if (!k || !k->supported)
            return nullptr;
        if (!k->facet) {
            k->facet = info->makeFacet(this);
            k->info = info;
        }
        return k->facet;
    }

    std::atomic<ULONG> m_refs{1};
    std::unique_ptr<Connection> m_connection;
    RemoteDispatch m_dispatch;
    std::mutex m_queryMutex;
    std::vector<Known> m_known; // guarded by m_queryMutex; a Known's facet never changes once set
};

// Splits a LocalServer32 value: a quoted or bare program path, then arguments.
std::vector<std::string> splitCommandLine(const std::string& command)
{
    std::vector<std::string> out;
    std::size_t pos = 0;
    if (!command.empty() && command[0] == '"') {
        std::size_t close = command.find('"', 1);
        out.push_back(command.substr(1, close == std::string::npos ? close : close - 1));
        pos = close == std::string::npos ? command.size() : close + 1;
    } else if (::access(command.c_str(), X_OK) == 0) {
        return {command}; // a path with spaces, unquoted
    }
    while (pos < command.size()) {
        std::size_t start = command.find_first_not_of(' ', pos);
        if (start == std::string::npos)
            break;
        std::size_t end = command.find(' ', start);
        if (end == std::string::npos)
            end = command.size();
        out.push_back(command.substr(start, end - start));
        pos = end;
    }
    return out;
}

struct SpawnActions {
    posix_spawn_file_actions_t actions;
    bool ok;
    SpawnActions() : ok(posix_spawn_file_actions_init(&actions) == 0) {}
    ~SpawnActions()
    {
        if (ok)
            posix_spawn_file_actions_destroy(&actions);
    }
};

struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    int release() { return std::exchange(fd, -1); }
};

} // namespace

bool isRemotableInterface(REFIID iid)
{
    return IsEqualIID(iid, IID_IDispatch) || findRemoteInterface(iid) != nullptr;
}

HRESULT activateLocalServer(REFCLSID clsid, const std::string& commandLine, REFIID riid, void** ppv)
{
    reapFinishedServers();
    if (!IsEqualIID(riid, IID_IUnknown) && !isRemotableInterface(riid))
        return E_NOINTERFACE;
    std::vector<std::string> args = splitCommandLine(commandLine);
    if (args.empty() || args[0].empty())
        return CO_E_SERVER_EXEC_FAILURE;
    args.push_back("-Embedding");

    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        return E_OUTOFMEMORY;
    Fd ours{pair[0]}, theirs{pair[1]};
    if (theirs.fd == kChildChannelFd) {
        // dup2 onto itself would keep close-on-exec set; move it out of the way first.
        Fd moved{::fcntl(theirs.fd, F_DUPFD_CLOEXEC, kChildChannelFd + 1)};
        std::swap(theirs.fd, moved.fd);
        if (theirs.fd < 0)
            return E_OUTOFMEMORY;
    }

    SpawnActions actions;
    if (!actions.ok ||
        posix_spawn_file_actions_adddup2(&actions.actions, theirs.fd, kChildChannelFd) != 0)
        return E_OUTOFMEMORY;

    std::string variable = std::string(kChannelVariable) + "=" + std::to_string(kChildChannelFd);
    std::vector<char*> envp;
    std::size_t nameLength = std::strlen(kChannelVariable);
    for (char** e = environ; e && *e; ++e) {
        if (std::strncmp(*e, kChannelVariable, nameLength) != 0 || (*e)[nameLength] != '=')
            envp.push_back(*e);
    }
    envp.push_back(variable.data());
    envp.push_back(nullptr);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    int err =
        args[0].find('/') != std::string::npos
            ? ::posix_spawn(&pid, argv[0], &actions.actions, nullptr, argv.data(), envp.data())
            : ::posix_spawnp(&pid, argv[0], &actions.actions, nullptr, argv.data(), envp.data());
    if (err != 0)
        return err == ENOENT ? HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) : CO_E_SERVER_EXEC_FAILURE;
    ::close(theirs.release()); // the child has its copy; ours must go for EOF to reach us

    auto connection = std::make_unique<Connection>(ours.release(), pid);
    MessageWriter w;
    w.u8(static_cast<std::uint8_t>(MessageKind::Create));
    w.guid(clsid);
    w.guid(riid);
    HRESULT answer = E_FAIL;
    HRESULT hr = connection->request(w.bytes(), g_startMs.load(), &answer, nullptr);
    if (FAILED(hr)) {
        if (hr == RPC_E_TIMEOUT)
            connection->killServer();
        return CO_E_SERVER_EXEC_FAILURE;
    }
    if (FAILED(answer))
        return answer;
    auto* object = new (std::nothrow) RemoteObject(std::move(connection));
    if (!object)
        return E_OUTOFMEMORY;
    hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

void reapFinishedServers()
{
    std::lock_guard lock(g_unreapedMutex);
    std::erase_if(g_unreaped, [](pid_t pid) {
        int status = 0;
        pid_t r = ::waitpid(pid, &status, WNOHANG);
        return r != 0; // ended (or not ours any more)
    });
}

void setLocalServerTimeouts(int startMs, int callMs)
{
    if (startMs > 0)
        g_startMs.store(startMs);
    if (callMs > 0)
        g_callMs.store(callMs);
}

DWORD localServerProcessId(IUnknown* proxy)
{
    if (!proxy)
        return 0;
    IUnknown* self = nullptr;
    if (FAILED(proxy->QueryInterface(IID_RemoteObject, reinterpret_cast<void**>(&self))) || !self)
        return 0;
    DWORD pid = static_cast<DWORD>(static_cast<RemoteObject*>(self)->pid());
    self->Release();
    return pid;
}
