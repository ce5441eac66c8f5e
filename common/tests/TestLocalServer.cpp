// A local server for the interface tests: a recorder answering ICamRecord and a viewer
// answering IVistel. Each call appends "<method>|<arguments>" to calls.txt in the state root
// the creator handed down, and answers S_OK (Stop: E_NOTIMPL, as the real recorder).

#include "common/ICamRecord.h"
#include "common/IVistel.h"
#include "common/tests/TestClasses.h"
#include "platform/base/StateRoot.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/ComPtr.h"
#include "platform/com/LocalServer.h"
#include "platform/com/Runtime.h"

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

void logCall(const std::string& line)
{
    const char* root = std::getenv(kStateRootVariable);
    if (root)
        std::ofstream(std::string(root) + "/calls.txt", std::ios::app) << line << "\n";
}

std::string text(BSTR b)
{
    return b ? bstrToUtf8(b) : "(null)";
}

class Recorder final : public UnknownImpl<Recorder, DualImpl<ICamRecord>> {
public:
    HRESULT Start(BSTR dir, BSTR prefix, LONG elapse, DWORD duration, DWORD maxSize) override
    {
        logCall("Start|" + text(dir) + "|" + text(prefix) + "|" + std::to_string(elapse) + "|" +
                std::to_string(duration) + "|" + std::to_string(maxSize));
        return S_OK;
    }
    HRESULT Stop() override
    {
        logCall("Stop");
        return E_NOTIMPL;
    }
    HRESULT Init(BSTR url, BSTR name) override
    {
        logCall("Init|" + text(url) + "|" + text(name));
        return S_OK;
    }
};

class Viewer final : public UnknownImpl<Viewer, DualImpl<IVistel>> {
public:
    HRESULT SetUserCtrl() override
    {
        logCall("SetUserCtrl");
        return S_OK;
    }
    HRESULT SetImage(BSTR path) override { return set("SetImage", path); }
    HRESULT SetSequence(BSTR path) override { return set("SetSequence", path); }
    HRESULT SetSequenceCreateAVI(BSTR path) override { return set("SetSequenceCreateAVI", path); }

private:
    static HRESULT set(const char* method, BSTR path)
    {
        logCall(std::string(method) + "|" + text(path));
        return path ? S_OK : E_FAIL;
    }
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
    CoInitialize(nullptr);
    auto recorder = ComPtr<ClassFactory>::attach(ClassFactory::createRaw(&createRecorder, nullptr));
    auto viewer = ComPtr<ClassFactory>::attach(ClassFactory::createRaw(&createViewer, nullptr));
    DWORD c1 = 0, c2 = 0;
    serveLocalServer(CLSID_CommonTestRecorder, recorder.get(), REGCLS_SINGLEUSE, {}, &c1);
    serveLocalServer(CLSID_CommonTestViewer, viewer.get(), REGCLS_SINGLEUSE, {}, &c2);
    bool gone = waitForLocalServerClient(120000);
    CoRevokeClassObject(c1);
    CoRevokeClassObject(c2);
    CoUninitialize();
    return gone ? 0 : 4;
}
