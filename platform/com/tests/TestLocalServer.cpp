// A local-server program for the runtime tests. Its recorder answers ICamRecord; what Start
// does depends on the prefix, so a test can make the server work, hang or die mid-call:
//   "write"  writes <dir>/write.txt with the Init values, the arguments and the process id
//   "hang"   writes <dir>/hang.started, then does not answer for 60 s
//   "die"    ends the process during the call
// Its viewer answers IVistel: SetImage succeeds for an existing file.
// With "--stall" on the command line it never registers its classes.

#include "common/ICamRecord.h"
#include "common/IVistel.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/ComPtr.h"
#include "platform/com/LocalServer.h"
#include "platform/com/Runtime.h"
#include "platform/com/tests/TestInterfaces.h"

#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace {

class Recorder final : public UnknownImpl<Recorder, DualImpl<ICamRecord>> {
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
            << ::getpid();
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

class Viewer final : public UnknownImpl<Viewer, DualImpl<IVistel>> {
public:
    HRESULT SetUserCtrl() override { return m_shown ? S_OK : E_FAIL; }
    HRESULT SetImage(BSTR path) override
    {
        m_shown = ::access(bstrToUtf8(path).c_str(), R_OK) == 0;
        return m_shown ? S_OK : E_FAIL;
    }
    HRESULT SetSequence(BSTR path) override { return SetImage(path); }
    HRESULT SetSequenceCreateAVI(BSTR path) override { return SetImage(path); }

private:
    bool m_shown = false;
};

HRESULT createRecorder(IUnknown* outer, REFIID riid, void** ppv)
{
    return Recorder::createInstance(outer, riid, ppv);
}
HRESULT createViewer(IUnknown* outer, REFIID riid, void** ppv)
{
    return Viewer::createInstance(outer, riid, ppv);
}

} // namespace

int main(int argc, char** argv)
{
    if (!isEmbeddingLaunch(argc, argv))
        return 2;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--stall") == 0) {
            std::this_thread::sleep_for(std::chrono::seconds(60));
            return 3;
        }
    }
    CoInitialize(nullptr);
    auto recorder = ComPtr<ClassFactory>::attach(ClassFactory::createRaw(&createRecorder, nullptr));
    auto viewer = ComPtr<ClassFactory>::attach(ClassFactory::createRaw(&createViewer, nullptr));
    DWORD c1 = 0, c2 = 0;
    serveLocalServer(CLSID_TestRecorder, recorder.get(), REGCLS_SINGLEUSE, {}, &c1);
    serveLocalServer(CLSID_TestViewer, viewer.get(), REGCLS_SINGLEUSE, {}, &c2);
    bool gone = waitForLocalServerClient(120000);
    CoRevokeClassObject(c1);
    CoRevokeClassObject(c2);
    CoUninitialize();
    return gone ? 0 : 4;
}
