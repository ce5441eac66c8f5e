// The recorder's and the viewer's automation interfaces reach an object in another process
// through the runtime's proxy: every method, with its arguments, directly and by name.

#include "common/ICamRecord.h"
#include "common/IVistel.h"
#include "common/tests/TestClasses.h"
#include "platform/com/ClassRegistration.h"
#include "platform/com/ComPtr.h"
#include "platform/com/LocalServer.h"
#include "platform/com/Runtime.h"
#include "testsupport/TempStateRoot.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

struct RemoteInterface : ::testing::Test {
    void SetUp() override
    {
        CoInitialize(nullptr);
        for (const CLSID& clsid : {CLSID_CommonTestRecorder, CLSID_CommonTestViewer}) {
            ClassRegistration r;
            r.clsid = clsid;
            r.friendlyName = "Interface test server";
            r.kind = ServerKind::LocalServer;
            r.serverPath = TEST_LOCAL_SERVER;
            ASSERT_EQ(registerClass(r), S_OK);
        }
    }
    void TearDown() override { CoUninitialize(); }

    // The calls the server saw, in order. Every call has returned before this reads.
    std::string calls() const
    {
        std::ifstream in(root.path() + "/calls.txt");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    TempStateRoot root;
};

DISPID idOf(IDispatch* d, const char16_t* name)
{
    auto* n = const_cast<LPOLESTR>(name);
    DISPID id = DISPID_UNKNOWN;
    EXPECT_EQ(d->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id), S_OK) << "name";
    return id;
}

TEST_F(RemoteInterface, CamRecordCallsReachTheRecorderProcess)
{
    ComPtr<ICamRecord> rec;
    ASSERT_EQ(CoCreateInstance(CLSID_CommonTestRecorder, nullptr, CLSCTX_LOCAL_SERVER,
                               IID_ICamRecord, rec.putVoid()),
              S_OK);
    ASSERT_NE(localServerProcessId(rec.get()), 0u);
    EXPECT_EQ(rec->Init(Bstr("http://10.0.0.7/mjpg/video.mjpg").get(), Bstr("Gate ü").get()), S_OK);
    EXPECT_EQ(rec->Start(Bstr("/rec").get(), Bstr("gate").get(), -1, 60, 4000000000u), S_OK);
    EXPECT_EQ(rec->Start(nullptr, Bstr("p").get(), 1, 2, 3), S_OK);
    EXPECT_EQ(rec->Stop(), E_NOTIMPL);

    ComPtr<IDispatch> disp = rec.as<IDispatch>();
    ASSERT_TRUE(disp);
    EXPECT_EQ(idOf(disp.get(), u"Start"), 1);
    EXPECT_EQ(idOf(disp.get(), u"stop"), 2);
    EXPECT_EQ(idOf(disp.get(), u"Init"), 3);
    DispatchArgs args{Variant::fromUtf8("http://cam/"), Variant::fromUtf8("Yard")};
    EXPECT_EQ(disp->Invoke(3, IID_NULL, 0, DISPATCH_METHOD, args.get(), nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_FALSE(rec.as<IVistel>());

    EXPECT_EQ(calls(), "Init|http://10.0.0.7/mjpg/video.mjpg|Gate ü\n"
                       "Start|/rec|gate|-1|60|4000000000\n"
                       "Start|(null)|p|1|2|3\n"
                       "Stop\n"
                       "Init|http://cam/|Yard\n");
}

TEST_F(RemoteInterface, VistelCallsReachTheViewerProcess)
{
    ComPtr<IVistel> viewer;
    ASSERT_EQ(CoCreateInstance(CLSID_CommonTestViewer, nullptr, CLSCTX_LOCAL_SERVER, IID_IVistel,
                               viewer.putVoid()),
              S_OK);
    EXPECT_EQ(viewer->SetImage(Bstr("/pics/a.jpg").get()), S_OK);
    EXPECT_EQ(viewer->SetSequence(Bstr("/pics/b.sqj").get()), S_OK);
    EXPECT_EQ(viewer->SetSequenceCreateAVI(Bstr("/pics/c.sqj").get()), S_OK);
    EXPECT_EQ(viewer->SetImage(nullptr), E_FAIL);
    EXPECT_EQ(viewer->SetUserCtrl(), S_OK);

    ComPtr<IDispatch> disp = viewer.as<IDispatch>();
    ASSERT_TRUE(disp);
    EXPECT_EQ(idOf(disp.get(), u"SetUserCtrl"), 0x60020000);
    EXPECT_EQ(idOf(disp.get(), u"SetImage"), 0x60020001);
    EXPECT_EQ(idOf(disp.get(), u"SetSequence"), 0x60020002);
    EXPECT_EQ(idOf(disp.get(), u"SetSequenceCreateAVI"), 0x60020003);
    DispatchArgs args{Variant::fromUtf8("/pics/d.jpg")};
    EXPECT_EQ(disp->Invoke(0x60020001, IID_NULL, 0, DISPATCH_METHOD, args.get(), nullptr, nullptr,
                           nullptr),
              S_OK);
    EXPECT_FALSE(viewer.as<ICamRecord>());

    EXPECT_EQ(calls(), "SetImage|/pics/a.jpg\n"
                       "SetSequence|/pics/b.sqj\n"
                       "SetSequenceCreateAVI|/pics/c.sqj\n"
                       "SetImage|(null)\n"
                       "SetUserCtrl\n"
                       "SetImage|/pics/d.jpg\n");
}

} // namespace
