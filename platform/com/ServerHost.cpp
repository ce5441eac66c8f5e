// Server side of a local server: the connection the creator handed to this program, the one
// object created for it, and the calls it forwards.

#include "platform/com/ClassObjectTable.h"
#include "platform/com/Dispatch.h"
#include "platform/com/LocalActivation.h"
#include "platform/com/LocalServer.h"
#include "platform/com/MessageChannel.h"
#include "platform/com/Runtime.h"

#include <atomic>
#include <cctype>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// How long the program may take between starting and registering the requested class.
constexpr auto kRegistrationWait = std::chrono::seconds(60);

class ServerHost {
public:
    static ServerHost& instance()
    {
        // Never destroyed: the connection thread is stopped explicitly by CoUninitialize.
        static auto* host = new ServerHost;
        return *host;
    }

    void setHooks(LocalServerHooks hooks)
    {
        std::lock_guard lock(m_mutex);
        m_hooks = std::move(hooks);
    }

    void startIfEmbedded()
    {
        std::lock_guard lock(m_mutex);
        if (m_claimed)
            return;
        m_claimed = true;
        const char* value = std::getenv(kChannelVariable);
        if (!value)
            return;
        char* end = nullptr;
        long fd = std::strtol(value, &end, 10);
        ::unsetenv(kChannelVariable); // not for programs this one starts
        struct stat st {};
        if (end == value || *end || fd < 0 || ::fstat(static_cast<int>(fd), &st) != 0 ||
            !S_ISSOCK(st.st_mode))
            return;
        ::fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
        m_channel = std::make_unique<MessageChannel>(static_cast<int>(fd));
        m_connected = true;
        m_stopping = false; // a balanced CoInitialize/CoUninitialize may have come before
        m_thread = std::thread([this] { run(); });
    }

    void shutdown()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
            if (m_channel)
                m_channel->wake();
            m_changed.notify_all();
        }
        ClassObjectTable::instance().wakeWaiters();
        if (m_thread.joinable())
            m_thread.join();
        // Calls that were posted but never run leave the object to us.
        m_root.reset();
        std::lock_guard lock(m_mutex);
        m_channel.reset();
        m_connected = false;
        m_changed.notify_all();
    }

    bool waitClientGone(int timeoutMs)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [&] { return !m_connected; });
    }

private:
    void run()
    {
        std::vector<std::uint8_t> message;
        while (!m_stopping.load()) {
            if (m_channel->receive(&message) != MessageChannel::Result::Ok)
                break;
            std::vector<std::uint8_t> reply;
            if (!handle(message, &reply))
                break;
            if (m_channel->send(reply, Clock::now() + std::chrono::seconds(30)) !=
                MessageChannel::Result::Ok)
                break;
        }
        // The creator let go (or broke the protocol): release its object where it lives.
        execute([this] { m_root.reset(); });
        LocalServerHooks hooks;
        {
            std::lock_guard lock(m_mutex);
            hooks = m_hooks;
        }
        if (hooks.clientGone && !m_stopping.load())
            hooks.clientGone();
        std::lock_guard lock(m_mutex);
        m_connected = false;
        m_changed.notify_all();
    }

    // Runs work where the program wants its objects called, and waits for it.
    void execute(std::function<void()> work)
    {
        std::function<void(std::function<void()>)> post;
        {
            std::lock_guard lock(m_mutex);
            post = m_hooks.post;
        }
        if (!post) {
            work();
            return;
        }
        // The work refers to this thread's stack: once we stop waiting for it (shutdown) it
        // must not start any more.
        struct CallState {
            bool running = false;
            bool done = false;
            bool abandoned = false;
        };
        auto state = std::make_shared<CallState>();
        post([this, work = std::move(work), state] {
            {
                std::lock_guard lock(m_mutex);
                if (state->abandoned)
                    return;
                state->running = true;
            }
            work();
            std::lock_guard lock(m_mutex);
            state->done = true;
            m_changed.notify_all();
        });
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return state->done || (m_stopping.load() && !state->running); });
        if (!state->done)
            state->abandoned = true;
    }

    static std::vector<std::uint8_t> replyWith(HRESULT hr, const VARIANT* result = nullptr)
    {
        VARIANT empty;
        VariantInit(&empty);
        MessageWriter value;
        if (HRESULT encoded = value.variant(result ? *result : empty); FAILED(encoded)) {
            // A result that cannot cross (an interface pointer) fails the call.
            value = MessageWriter();
            value.variant(empty);
            if (SUCCEEDED(hr))
                hr = encoded;
        }
        MessageWriter w;
        w.u8(static_cast<std::uint8_t>(MessageKind::Reply));
        w.i32(hr);
        w.bytes().insert(w.bytes().end(), value.bytes().begin(), value.bytes().end());
        return std::move(w.bytes());
    }

    bool handle(const std::vector<std::uint8_t>& message, std::vector<std::uint8_t>* reply)
    {
        MessageReader r(message);
        auto kind = static_cast<MessageKind>(r.u8());
        switch (kind) {
        case MessageKind::Create: {
            CLSID clsid = r.guid();
            IID iid = r.guid();
            if (!r.ok() || !r.atEnd())
                return false;
            *reply = replyWith(create(clsid, iid));
            return true;
        }
        case MessageKind::Query: {
            IID iid = r.guid();
            if (!r.ok() || !r.atEnd())
                return false;
            HRESULT hr = E_NOINTERFACE;
            execute([&] {
                ComPtr<IUnknown> p;
                if (m_root && isRemotableInterface(iid))
                    hr = m_root->QueryInterface(iid, p.putVoid());
                else if (!m_root)
                    hr = CO_E_OBJNOTCONNECTED;
            });
            *reply = replyWith(hr);
            return true;
        }
        case MessageKind::Invoke:
            return invoke(r, reply);
        case MessageKind::Names:
            return names(r, reply);
        default:
            return false;
        }
    }

    HRESULT create(REFCLSID clsid, REFIID iid)
    {
        if (m_created)
            return CO_E_SERVER_EXEC_FAILURE; // one object per connection
        m_created = true;
        ComPtr<IUnknown> classObject = ClassObjectTable::instance().waitAndTake(
            clsid, Clock::now() + kRegistrationWait, [this] { return m_stopping.load(); });
        if (!classObject)
            return CO_E_SERVER_EXEC_FAILURE;
        HRESULT hr = E_FAIL;
        execute([&] {
            ComPtr<IClassFactory> factory;
            hr = classObject->QueryInterface(IID_IClassFactory, factory.putVoid());
            if (FAILED(hr))
                return;
            hr = factory->CreateInstance(nullptr, IID_IUnknown, m_root.putVoid());
            if (FAILED(hr) || IsEqualIID(iid, IID_IUnknown))
                return;
            ComPtr<IUnknown> p;
            hr = isRemotableInterface(iid) ? m_root->QueryInterface(iid, p.putVoid())
                                           : E_NOINTERFACE;
            if (FAILED(hr))
                m_root.reset();
            classObject.reset();
        });
        return hr;
    }

    bool invoke(MessageReader& r, std::vector<std::uint8_t>* reply)
    {
        IID iid = r.guid();
        DISPID dispid = r.i32();
        WORD flags = r.u16();
        std::uint32_t argc = r.u32();
        if (!r.ok() || argc > 64)
            return false;
        std::vector<Variant> args(argc);
        for (Variant& a : args) {
            if (!r.variant(a.get()))
                return false;
        }
        if (!r.atEnd())
            return false;
        std::vector<VARIANT> raw;
        for (Variant& a : args)
            raw.push_back(*a.get());
        DISPID named = DISPID_PROPERTYPUT;
        bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
        DISPPARAMS params{raw.data(), put ? &named : nullptr, argc, put ? 1u : 0u};
        Variant result;
        HRESULT hr = E_NOINTERFACE;
        execute([&] {
            if (!m_root) {
                hr = CO_E_OBJNOTCONNECTED;
                return;
            }
            ComPtr<IDispatch> dispatch;
            if (hr = queryDispatch(iid, &dispatch); FAILED(hr))
                return;
            UINT argErr = 0;
            hr = dispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                  result.get(), nullptr, &argErr);
        });
        *reply = replyWith(hr, result.get());
        return true;
    }

    // Resolves one member name through the object's IDispatch for iid.
    bool names(MessageReader& r, std::vector<std::uint8_t>* reply)
    {
        IID iid = r.guid();
        Variant name;
        if (!r.variant(name.get()) || !r.ok() || !r.atEnd() || name.get()->vt != VT_BSTR)
            return false;
        HRESULT hr = E_NOINTERFACE;
        Variant id;
        execute([&] {
            ComPtr<IDispatch> dispatch;
            if (!m_root) {
                hr = CO_E_OBJNOTCONNECTED;
                return;
            }
            if (hr = queryDispatch(iid, &dispatch); FAILED(hr))
                return;
            LPOLESTR names[] = {name.get()->bstrVal ? name.get()->bstrVal
                                                    : const_cast<LPOLESTR>(u"")};
            DISPID dispid = DISPID_UNKNOWN;
            hr = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid);
            if (SUCCEEDED(hr)) {
                id.get()->vt = VT_I4;
                id.get()->lVal = dispid;
            }
        });
        *reply = replyWith(hr, id.get());
        return true;
    }

    // The object's interface iid as the IDispatch it derives from. Runs through execute().
    HRESULT queryDispatch(REFIID iid, ComPtr<IDispatch>* out)
    {
        if (!isRemotableInterface(iid))
            return E_NOINTERFACE;
        void* p = nullptr;
        HRESULT hr = m_root->QueryInterface(iid, &p);
        if (FAILED(hr))
            return hr;
        // Every remotable interface is IDispatch or derives from it alone.
        *out = ComPtr<IDispatch>::attach(static_cast<IDispatch*>(p));
        return S_OK;
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    LocalServerHooks m_hooks;                  // guarded by m_mutex
    bool m_claimed = false;                    // guarded by m_mutex
    bool m_connected = false;                  // guarded by m_mutex
    std::unique_ptr<MessageChannel> m_channel; // set before the thread starts
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    bool m_created = false;  // connection thread only
    ComPtr<IUnknown> m_root; // touched only by work run through execute()
};

} // namespace

void startServerHostIfEmbedded()
{
    ServerHost::instance().startIfEmbedded();
}

void shutdownServerHost()
{
    ServerHost::instance().shutdown();
}

bool isEmbeddingLaunch(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (!a || (a[0] != '-' && a[0] != '/'))
            continue;
        if (::strcasecmp(a + 1, "Embedding") == 0)
            return true;
    }
    return false;
}

HRESULT serveLocalServer(REFCLSID clsid, IUnknown* classObject, DWORD regcls,
                         LocalServerHooks hooks, DWORD* cookie)
{
    if (!classObject || !cookie)
        return E_INVALIDARG;
    ServerHost::instance().setHooks(std::move(hooks));
    return CoRegisterClassObject(clsid, classObject, CLSCTX_LOCAL_SERVER, regcls, cookie);
}

bool waitForLocalServerClient(int timeoutMs)
{
    return ServerHost::instance().waitClientGone(timeoutMs);
}
