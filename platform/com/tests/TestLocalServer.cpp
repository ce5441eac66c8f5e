// A local-server program for the runtime tests. Its recorder answers ITestRecorder; what Start
// does depends on the prefix, so a test can make the server work, hang or die mid-call:
//   other    writes <dir>/<prefix>.txt with the Init values, the arguments, the process id and
//            whether the call ran on the main thread
//   "hang"   writes <dir>/hang.started, then does not answer for 60 s
//   "die"    ends the process during the call
// Its viewer answers ITestViewer: SetImage succeeds for an existing file, Title is the last
// path it was given.
// With "--stall" on the command line it never registers its classes; with "--posted" its calls
// run on the main thread through a work queue, as a GUI program's window thread runs them.

#include "platform/com/ClassFactory.h"
#include "platform/com/ComPtr.h"
#include "platform/com/LocalServer.h"
#include "platform/com/Runtime.h"
#include "platform/com/tests/TestInterfaces.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <fstream>
#include <functional>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace {

class Recorder final : public UnknownImpl<Recorder, DualImpl<ITestRecorder>> {
public:
    HRESULT Start(BSTR dir, BSTR prefix, LONG elapse, DWORD duration, DWORD maxSize) override
    {
        if (!dir || !prefix)
            return E_INVALIDARG;
        std::string folder = bstrToUtf8(dir);
        std::string mode = bstrToUtf8(prefix);
        if (mode == "die")
            ::_exit(7);
        if (mode == "hang") {
            std::ofstream(folder + "/hang.started") << ::getpid();
            std::this_thread::sleep_for(std::chrono::seconds(60));
            return S_OK;
        }
        if (m_url.empty())
            return S_FALSE;
        std::ofstream(folder + "/" + mode + ".txt")
            << m_url << "|" << m_name << "|" << elapse << "|" << duration << "|" << maxSize << "|"
            << ::getpid() << "|" << (::gettid() == ::getpid() ? "main" : "worker");
        return S_OK;
    }
    HRESULT Stop() override { return E_NOTIMPL; }
    HRESULT Init(BSTR url, BSTR name) override
    {
        m_url = bstrToUtf8(url);
        m_name = bstrToUtf8(name);
        return S_OK;
    }

private:
    std::string m_url, m_name;
};

class Viewer final : public UnknownImpl<Viewer, DualImpl<ITestViewer>> {
public:
    HRESULT SetUserCtrl() override { return m_shown ? S_OK : E_FAIL; }
    HRESULT SetImage(BSTR path) override
    {
        m_title = bstrToUtf8(path);
        m_shown = ::access(m_title.c_str(), R_OK) == 0;
        return m_shown ? S_OK : E_FAIL;
    }
    HRESULT SetSequence(BSTR path) override { return SetImage(path); }
    HRESULT get_Zoom(LONG* zoom) override
    {
        if (!zoom)
            return E_POINTER;
        *zoom = m_zoom;
        return S_OK;
    }
    HRESULT put_Zoom(LONG zoom) override
    {
        if (zoom <= 0)
            return E_INVALIDARG;
        m_zoom = zoom;
        return S_OK;
    }
    HRESULT get_Title(BSTR* title) override
    {
        return bstrAssignUtf8(title, m_title) ? S_OK : E_OUTOFMEMORY;
    }

private:
    bool m_shown = false;
    LONG m_zoom = 100;
    std::string m_title;
};

HRESULT createRecorder(IUnknown* outer, REFIID riid, void** ppv)
{
    return Recorder::createInstance(outer, riid, ppv);
}
HRESULT createViewer(IUnknown* outer, REFIID riid, void** ppv)
{
    return Viewer::createInstance(outer, riid, ppv);
}

// The main thread's work queue for "--posted".
struct WorkQueue {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::function<void()>> work; // guarded by mutex
    bool gone = false;                      // guarded by mutex

    void post(std::function<void()> f)
    {
        std::lock_guard lock(mutex);
        work.push_back(std::move(f));
        changed.notify_all();
    }
    void finish()
    {
        std::lock_guard lock(mutex);
        gone = true;
        changed.notify_all();
    }
    // Runs posted work until the client is gone or the limit passes; true when it is gone.
    bool run(std::chrono::seconds limit)
    {
        auto deadline = std::chrono::steady_clock::now() + limit;
        std::unique_lock lock(mutex);
        for (;;) {
            if (!changed.wait_until(lock, deadline, [&] { return gone || !work.empty(); }))
                return false;
            if (work.empty())
                return true;
            auto f = std::move(work.front());
            work.pop_front();
            lock.unlock();
            f();
            lock.lock();
        }
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (!isEmbeddingLaunch(argc, argv))
        return 2;
    bool posted = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--stall") == 0) {
            std::this_thread::sleep_for(std::chrono::seconds(60));
            return 3;
        }
        posted = posted || std::strcmp(argv[i], "--posted") == 0;
    }
    WorkQueue queue;
    LocalServerHooks hooks;
    if (posted) {
        hooks.post = [&queue](std::function<void()> f) {
            queue.post(std::move(f));
        };
        hooks.clientGone = [&queue] {
            queue.finish();
        };
    }
    CoInitialize(nullptr);
    auto recorder = ComPtr<ClassFactory>::attach(ClassFactory::createRaw(&createRecorder, nullptr));
    auto viewer = ComPtr<ClassFactory>::attach(ClassFactory::createRaw(&createViewer, nullptr));
    DWORD c1 = 0, c2 = 0;
    serveLocalServer(CLSID_TestRecorder, recorder.get(), REGCLS_SINGLEUSE, hooks, &c1);
    serveLocalServer(CLSID_TestViewer, viewer.get(), REGCLS_SINGLEUSE, hooks, &c2);
    bool gone = posted ? queue.run(std::chrono::seconds(120)) : waitForLocalServerClient(120000);
    CoRevokeClassObject(c1);
    CoRevokeClassObject(c2);
    CoUninitialize();
    return gone ? 0 : 4;
}
