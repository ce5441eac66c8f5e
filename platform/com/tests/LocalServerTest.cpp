// Local servers: a real program started by class id in a process of its own and called through
// its proxy; servers that die, hang or never come up fail the caller within a bounded time.

#include "platform/com/LocalServer.h"

#include "platform/com/ClassRegistration.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Runtime.h"
#include "platform/com/tests/TestInterfaces.h"
#include "platform/registry/Registry.h"
#include "testsupport/TempStateRoot.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

ClassRegistration localClass(REFCLSID clsid, const std::string& program)
{
    ClassRegistration r;
    r.clsid = clsid;
    r.friendlyName = "Test local server";
    r.kind = ServerKind::LocalServer;
    r.serverPath = program;
    return r;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool waitForFile(const std::string& path, std::chrono::milliseconds limit)
{
    auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        if (std::filesystem::exists(path) && std::filesystem::file_size(path) > 0)
            return true;
        std::this_thread::sleep_for(10ms); // polling the server's file; no event to wait on
    }
    return false;
}

struct LocalServer : ::testing::Test {
    void SetUp() override
    {
        CoInitialize(nullptr);
        ASSERT_EQ(registerClass(localClass(CLSID_TestRecorder, TEST_LOCAL_SERVER)), S_OK);
        ASSERT_EQ(registerClass(localClass(CLSID_TestViewer, TEST_LOCAL_SERVER)), S_OK);
    }
    void TearDown() override
    {
        setLocalServerTimeouts(20000, 30000);
        CoUninitialize();
    }
    ComPtr<ITestRecorder> createRecorder()
    {
        ComPtr<ITestRecorder> rec;
        EXPECT_EQ(CoCreateInstance(CLSID_TestRecorder, nullptr, CLSCTX_LOCAL_SERVER,
                                   IID_ITestRecorder, rec.putVoid()),
                  S_OK);
        return rec;
    }
    TempStateRoot root;
};

TEST_F(LocalServer, CallsReachTheObjectInItsOwnProcess)
{
    ComPtr<ITestRecorder> rec = createRecorder();
    ASSERT_TRUE(rec);
    DWORD pid = localServerProcessId(rec.get());
    ASSERT_NE(pid, 0u);
    EXPECT_NE(pid, static_cast<DWORD>(::getpid()));

    Bstr dir(root.path()), prefix("write");
    EXPECT_EQ(rec->Start(dir.get(), prefix.get(), 200, 60, 5u << 20), S_FALSE); // no Init yet
    EXPECT_EQ(rec->Init(Bstr("http://10.0.0.5/mjpg/video.mjpg").get(), Bstr("Entrance ü").get()),
              S_OK);
    EXPECT_EQ(rec->Start(dir.get(), prefix.get(), -1, 60, 4000000000u), S_OK);
    EXPECT_EQ(readFile(root.path() + "/write.txt"),
              "http://10.0.0.5/mjpg/video.mjpg|Entrance ü|-1|60|4000000000|" + std::to_string(pid) +
                  "|worker");
    EXPECT_EQ(rec->Start(nullptr, prefix.get(), 1, 1, 1), E_INVALIDARG); // null BSTR crosses
    EXPECT_EQ(rec->Stop(), E_NOTIMPL);

    // Through IDispatch, by name, as a script would.
    ComPtr<IDispatch> disp = rec.as<IDispatch>();
    ASSERT_TRUE(disp);
    LPOLESTR name = const_cast<LPOLESTR>(u"Stop");
    DISPID id = 0;
    ASSERT_EQ(disp->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
    EXPECT_EQ(id, 2);
    EXPECT_EQ(disp->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              E_NOTIMPL);
    EXPECT_EQ(disp->Invoke(99, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);

    // Identity and interfaces the object does not have.
    ComPtr<IUnknown> a = rec.as<IUnknown>(), b = disp.as<IUnknown>();
    EXPECT_EQ(a.get(), b.get());
    EXPECT_FALSE(rec.as<ITestViewer>());
    EXPECT_FALSE(rec.as<ITestCounter>());

    // Releasing the proxy ends the connection; the server leaves on its own.
    rec.reset();
    a.reset();
    b.reset();
    disp.reset();
    auto deadline = Clock::now() + 20s;
    while (::kill(static_cast<pid_t>(pid), 0) == 0 && Clock::now() < deadline) {
        CoFreeUnusedLibraries(); // collects ended servers
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_NE(::kill(static_cast<pid_t>(pid), 0), 0) << "server still running or not reaped";
}

TEST_F(LocalServer, AProgramCanRunItsCallsOnItsOwnThread)
{
    ClassRegistration posted = localClass(CLSID_TestRecorder, TEST_LOCAL_SERVER);
    ASSERT_EQ(registerClass(posted), S_OK);
    HKEY key = nullptr;
    std::string path = "CLSID\\" + guidToString(CLSID_TestRecorder) + "\\LocalServer32";
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    std::string command = std::string("\"") + TEST_LOCAL_SERVER + "\" --posted";
    ASSERT_EQ(RegSetValueExA(key, nullptr, 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(command.c_str()),
                             static_cast<DWORD>(command.size() + 1)),
              ERROR_SUCCESS);
    RegCloseKey(key);

    ComPtr<ITestRecorder> rec = createRecorder();
    ASSERT_TRUE(rec);
    DWORD pid = localServerProcessId(rec.get());
    EXPECT_EQ(rec->Init(Bstr("http://cam/").get(), Bstr("Yard").get()), S_OK);
    EXPECT_EQ(rec->Start(Bstr(root.path()).get(), Bstr("posted").get(), 100, 2, 3), S_OK);
    EXPECT_EQ(readFile(root.path() + "/posted.txt"),
              "http://cam/|Yard|100|2|3|" + std::to_string(pid) + "|main");
}

TEST_F(LocalServer, EveryCreationStartsItsOwnProcess)
{
    ComPtr<ITestViewer> first, second;
    ASSERT_EQ(CoCreateInstance(CLSID_TestViewer, nullptr, CLSCTX_LOCAL_SERVER, IID_ITestViewer,
                               first.putVoid()),
              S_OK);
    ASSERT_EQ(CoCreateInstance(CLSID_TestViewer, nullptr, CLSCTX_ALL, IID_PPV_ARGS(second.put())),
              S_OK);
    EXPECT_NE(localServerProcessId(first.get()), localServerProcessId(second.get()));
    std::string image = root.path() + "/frame.jpg";
    std::ofstream(image) << "x";
    EXPECT_EQ(first->SetImage(Bstr(image).get()), S_OK);
    EXPECT_EQ(first->SetUserCtrl(), S_OK);
    EXPECT_EQ(second->SetSequence(Bstr(root.path() + "/none.sqj").get()), E_FAIL);
    EXPECT_EQ(second->SetUserCtrl(), E_FAIL); // each process has its own state
    EXPECT_FALSE(first.as<ITestRecorder>());

    // Properties cross both ways; a getter's string belongs to the caller.
    LONG zoom = 0;
    EXPECT_EQ(first->get_Zoom(&zoom), S_OK);
    EXPECT_EQ(zoom, 100);
    EXPECT_EQ(first->put_Zoom(250), S_OK);
    EXPECT_EQ(first->put_Zoom(-1), E_INVALIDARG);
    EXPECT_EQ(first->get_Zoom(&zoom), S_OK);
    EXPECT_EQ(zoom, 250);
    EXPECT_EQ(second->get_Zoom(&zoom), S_OK);
    EXPECT_EQ(zoom, 100);
    BSTR title = nullptr;
    EXPECT_EQ(first->get_Title(&title), S_OK);
    EXPECT_EQ(bstrToUtf8(title), image);
    SysFreeString(title);
    EXPECT_EQ(first->get_Title(nullptr), E_POINTER);

    // An outer object cannot span processes.
    ComPtr<IUnknown> unk;
    EXPECT_EQ(CoCreateInstance(CLSID_TestViewer, first.get(), CLSCTX_LOCAL_SERVER, IID_IUnknown,
                               unk.putVoid()),
              CLASS_E_NOAGGREGATION);
}

TEST_F(LocalServer, ServerDyingMidCallFailsTheCallAtOnce)
{
    ComPtr<ITestRecorder> rec = createRecorder();
    ASSERT_TRUE(rec);
    auto start = Clock::now();
    EXPECT_EQ(rec->Start(Bstr(root.path()).get(), Bstr("die").get(), 1, 1, 1), RPC_E_DISCONNECTED);
    EXPECT_LT(Clock::now() - start, 10s);
    // Stays disconnected; writing to the dead socket must not raise SIGPIPE here.
    EXPECT_EQ(rec->Init(Bstr("u").get(), Bstr("n").get()), RPC_E_DISCONNECTED);
}

TEST_F(LocalServer, ServerKilledDuringACallFailsThatCall)
{
    ComPtr<ITestRecorder> rec = createRecorder();
    ASSERT_TRUE(rec);
    auto pid = static_cast<pid_t>(localServerProcessId(rec.get()));
    auto call = std::async(std::launch::async, [&] {
        return rec->Start(Bstr(root.path()).get(), Bstr("hang").get(), 1, 1, 1);
    });
    ASSERT_TRUE(waitForFile(root.path() + "/hang.started", 20s));
    auto killedAt = Clock::now();
    ASSERT_EQ(::kill(pid, SIGKILL), 0);
    ASSERT_EQ(call.wait_for(20s), std::future_status::ready);
    EXPECT_EQ(call.get(), RPC_E_DISCONNECTED);
    EXPECT_LT(Clock::now() - killedAt, 10s);
}

TEST_F(LocalServer, HungServerTimesOutAndStaysDisconnected)
{
    setLocalServerTimeouts(20000, 1500);
    ComPtr<ITestRecorder> rec = createRecorder();
    ASSERT_TRUE(rec);
    auto pid = static_cast<pid_t>(localServerProcessId(rec.get()));
    auto start = Clock::now();
    EXPECT_EQ(rec->Start(Bstr(root.path()).get(), Bstr("hang").get(), 1, 1, 1), RPC_E_TIMEOUT);
    auto took = Clock::now() - start;
    EXPECT_GE(took, 1400ms);
    EXPECT_LT(took, 15s);
    // A late answer can never be mistaken for the next call's.
    EXPECT_EQ(rec->Stop(), RPC_E_DISCONNECTED);
    ::kill(pid, SIGKILL);
}

TEST_F(LocalServer, ServersThatNeverComeUpFailTheCreation)
{
    ComPtr<ITestRecorder> rec;
    // The program is missing.
    ASSERT_EQ(registerClass(localClass(CLSID_TestRecorder, root.path() + "/no-such-program")),
              S_OK);
    EXPECT_EQ(CoCreateInstance(CLSID_TestRecorder, nullptr, CLSCTX_LOCAL_SERVER, IID_ITestRecorder,
                               rec.putVoid()),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    // It runs but ends without registering.
    ASSERT_EQ(registerClass(localClass(CLSID_TestRecorder, "/bin/true")), S_OK);
    EXPECT_EQ(CoCreateInstance(CLSID_TestRecorder, nullptr, CLSCTX_LOCAL_SERVER, IID_ITestRecorder,
                               rec.putVoid()),
              CO_E_SERVER_EXEC_FAILURE);
    // It runs and never registers: the start-up time-out ends the wait.
    setLocalServerTimeouts(1500, 30000);
    HKEY key = nullptr;
    std::string path = "CLSID\\" + guidToString(CLSID_TestRecorder) + "\\LocalServer32";
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    std::string stalled = std::string("\"") + TEST_LOCAL_SERVER + "\" --stall";
    ASSERT_EQ(RegSetValueExA(key, nullptr, 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(stalled.c_str()),
                             static_cast<DWORD>(stalled.size() + 1)),
              ERROR_SUCCESS);
    RegCloseKey(key);
    auto start = Clock::now();
    EXPECT_EQ(CoCreateInstance(CLSID_TestRecorder, nullptr, CLSCTX_LOCAL_SERVER, IID_ITestRecorder,
                               rec.putVoid()),
              CO_E_SERVER_EXEC_FAILURE);
    EXPECT_LT(Clock::now() - start, 15s);
    EXPECT_FALSE(rec);

    // Interfaces that cannot cross a process are refused before anything starts.
    ASSERT_EQ(registerClass(localClass(CLSID_TestRecorder, TEST_LOCAL_SERVER)), S_OK);
    ComPtr<ITestCounter> counter;
    EXPECT_EQ(CoCreateInstance(CLSID_TestRecorder, nullptr, CLSCTX_LOCAL_SERVER, IID_ITestCounter,
                               counter.putVoid()),
              E_NOINTERFACE);
}

} // namespace
