// Streams and simple requests of Luminent against the camera simulator, created by class id.
#include "client/Log.h"
#include "client/tests/LuminFixture.h"
#include "client/tests/StreamSink.h"
#include "common/ICamDataObject.h"
#include "common/ICamSimpleRequest.h"
#include "common/ILuminentError.h"
#include "common/LuminClasses.h"
#include "platform/com/TaskMemory.h"
#include "platform/http/CertificateTrust.h"
#include "platform/http/Prompts.h"
#include "testsupport/CamSimFixture.h"
#include "testsupport/WaitUntil.h"
#include "tools/camsim/CamSim.h"

#include <atomic>
#include <fstream>
#include <future>
#include <sched.h>
#include <sstream>
#include <thread>

using namespace std::chrono_literals;

namespace lumin::test {

namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool isWholeJpeg(const std::string& data)
{
    return data.size() > 4 && static_cast<unsigned char>(data[0]) == 0xFF &&
           static_cast<unsigned char>(data[1]) == 0xD8 &&
           static_cast<unsigned char>(data[data.size() - 2]) == 0xFF &&
           static_cast<unsigned char>(data[data.size() - 1]) == 0xD9;
}

} // namespace

class LuminentStream : public LuminFixture {
protected:
    void TearDown() override
    {
        // The log is process-wide: leave it closed for the next test's state root.
        if (m_logEnabled)
            m_logEnabled->DisableLog();
        orvel::http::setCredentialsPrompt({});
        orvel::http::setTrustPrompt({});
        orvel::http::forgetTrustedCertificates();
    }

    camsim::CamSimConfig config() { return camsim::CamSimConfig{}; }

    void startCamera(const camsim::CamSimConfig& c)
    {
        // A free address of its own: the tests of this file run in parallel processes.
        std::string error;
        m_camera = startCameraOnFreeAddress(c, &error);
        ASSERT_TRUE(m_camera) << error;
    }

    // A client with a recording sink advised (the client's own data object).
    void makeClient()
    {
        m_client = create<ICamMultipartRequest>(CLSID_Luminent);
        ASSERT_TRUE(m_client);
        ComPtr<ICamRequestSink> sink;
        ASSERT_EQ(StreamSink::createInstance(nullptr, IID_ICamRequestSink, sink.putVoid()), S_OK);
        m_sink = static_cast<StreamSink*>(sink.get());
        m_sinkRef = sink;
        m_sink->watch(m_client.get());
        ASSERT_EQ(m_client->DataAdvise(sink.get(), nullptr, &m_cookie), S_OK);
    }

    HRESULT open(const std::string& url, UI4 bufSize = 0)
    {
        return m_client->OpenUrl(Arg(url.c_str()), bufSize, nullptr);
    }

    void enableLog()
    {
        m_logEnabled = m_client.as<ILuminentError>();
        ASSERT_TRUE(m_logEnabled);
        ASSERT_EQ(m_logEnabled->EnableLog(0xFF), S_OK);
    }
    std::string logText() { return readFile(logFolder() + "/LuminLog.txt"); }

    std::unique_ptr<camsim::CamSim> m_camera;
    ComPtr<ICamMultipartRequest> m_client;
    ComPtr<ILuminentError> m_logEnabled;
    ComPtr<ICamRequestSink> m_sinkRef;
    StreamSink* m_sink = nullptr;
    UI4 m_cookie = 0;
};

TEST_F(LuminentStream, DeliversEachJpegPartWholeWithConnectionStatuses)
{
    auto c = config();
    c.fps = 20;
    startCamera(c);
    makeClient();
    ASSERT_EQ(open(m_camera->url(m_camera->videoPath())), S_OK);
    ASSERT_TRUE(m_sink->waitParts(5, 10s));
    ASSERT_EQ(m_client->Close(), S_OK);
    for (const SeenPart& part : m_sink->parts()) {
        EXPECT_EQ(part.cookie, m_cookie);
        EXPECT_EQ(part.type, static_cast<UI4>(CamTypeJpeg));
        EXPECT_EQ(part.contentType, "image/jpeg");
        EXPECT_TRUE(isWholeJpeg(part.data)) << "size " << part.data.size();
    }
    bool connecting = false, connected = false;
    for (const SeenStatus& s : m_sink->statuses()) {
        EXPECT_EQ(s.cookie, m_cookie);
        connecting |= s.status == 20 && s.info == "Connecting";
        connected |= s.status == 21 && s.info == "Connected";
        EXPECT_NE(s.status, static_cast<UI4>(CamStatusStreamEnded)); // the client stopped it
    }
    EXPECT_TRUE(connecting);
    EXPECT_TRUE(connected);
}

struct FormCase {
    camsim::BoundaryForm form;
    bool tricky;
    UI4 bufSize;
    const char* name;
};

class LuminentStreamForms : public LuminentStream,
                            public ::testing::WithParamInterface<FormCase> {};

TEST_P(LuminentStreamForms, FindsEveryMarkerWhateverTheFormAndTheCuts)
{
    auto c = config();
    c.fps = 0;
    c.stream.boundaryForm = GetParam().form;
    c.faults.trickyJpegData = GetParam().tricky;
    c.faults.splitPoints = {camsim::SplitPoint::InsideMarker, camsim::SplitPoint::InsideHeaderLine,
                            camsim::SplitPoint::BetweenCrLf};
    c.faults.splitPauseMs = 2;
    c.faults.closeAfterParts = 6;
    startCamera(c);
    makeClient();
    ASSERT_EQ(open(m_camera->url(m_camera->videoPath()), GetParam().bufSize), S_OK);
    ASSERT_TRUE(m_sink->waitStatus(CamStatusStreamEnded, 15s));
    const std::vector<SeenPart> parts = m_sink->parts();
    ASSERT_EQ(parts.size(), 6u);
    for (const SeenPart& part : parts) {
        EXPECT_EQ(part.type, static_cast<UI4>(CamTypeJpeg));
        EXPECT_TRUE(isWholeJpeg(part.data)) << "size " << part.data.size();
    }
    if (GetParam().tricky) {
        EXPECT_NE(parts[0].data.find('\0'), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, LuminentStreamForms,
    ::testing::Values(FormCase{camsim::BoundaryForm::Plain, false, 0, "plain"},
                      FormCase{camsim::BoundaryForm::LeadingDashes, false, 0, "dashes"},
                      FormCase{camsim::BoundaryForm::Quoted, true, 0, "quoted"},
                      FormCase{camsim::BoundaryForm::BlanksAroundEquals, true, 7, "blanks"},
                      FormCase{camsim::BoundaryForm::Plain, true, 1, "oneByteReads"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LuminentStream, CameraEndingTheStreamReportsClosedThenStreamEnded)
{
    auto c = config();
    c.fps = 0;
    c.faults.closeAfterParts = 3;
    startCamera(c);
    makeClient();
    ASSERT_EQ(open(m_camera->url(m_camera->videoPath())), S_OK);
    ASSERT_TRUE(m_sink->waitStatus(CamStatusStreamEnded, 10s));
    EXPECT_EQ(m_sink->parts().size(), 3u);
    const std::vector<SeenStatus> statuses = m_sink->statuses();
    auto closed = std::find_if(statuses.begin(), statuses.end(),
                               [](const SeenStatus& s) { return s.status == 51; });
    auto ended = std::find_if(statuses.begin(), statuses.end(),
                              [](const SeenStatus& s) { return s.status == CamStatusStreamEnded; });
    ASSERT_NE(closed, statuses.end());
    EXPECT_LT(closed - statuses.begin(), ended - statuses.begin());
    EXPECT_EQ(closed->info, "Closed");
    EXPECT_EQ(ended->info, "(null)");
}

TEST_F(LuminentStream, SingleImageArrivesOnceWithLowerCasedHeaderProperties)
{
    auto c = config();
    startCamera(c);
    makeClient();
    ASSERT_EQ(open(m_camera->url(m_camera->imagePath())), S_OK);
    ASSERT_TRUE(m_sink->waitStatus(CamStatusStreamEnded, 10s));
    const std::vector<SeenPart> parts = m_sink->parts();
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].type, static_cast<UI4>(CamTypeJpeg));
    EXPECT_TRUE(isWholeJpeg(parts[0].data));
    EXPECT_EQ(parts[0].contentType, "image/jpeg");
}

TEST_F(LuminentStream, PartTypesFollowEachPartsContentType)
{
    auto c = config();
    c.fps = 0;
    c.stream.partCycle = {camsim::PartKind::Jpeg, camsim::PartKind::Text, camsim::PartKind::Html,
                          camsim::PartKind::Audio};
    c.faults.closeAfterParts = 4;
    startCamera(c);
    makeClient();
    ASSERT_EQ(open(m_camera->url(m_camera->videoPath())), S_OK);
    ASSERT_TRUE(m_sink->waitStatus(CamStatusStreamEnded, 10s));
    const std::vector<SeenPart> parts = m_sink->parts();
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[0].type, static_cast<UI4>(CamTypeJpeg));
    EXPECT_EQ(parts[1].type, static_cast<UI4>(CamTypeText));
    EXPECT_EQ(parts[2].type, static_cast<UI4>(CamTypeHtml));
    EXPECT_EQ(parts[3].type, static_cast<UI4>(CamTypeAudio));
}

TEST_F(LuminentStream, SetDelaySpacesThePartsAndCloseResetsIt)
{
    auto c = config();
    c.fps = 0;
    startCamera(c);
    makeClient();
    ASSERT_EQ(m_client->SetDelay(500), S_OK);
    ASSERT_EQ(open(m_camera->url(m_camera->videoPath())), S_OK);
    ASSERT_TRUE(m_sink->waitParts(4, 15s));
    std::vector<SeenPart> parts = m_sink->parts();
    // Over three gaps, so one late wake-up of the sink's thread cannot shorten the measure.
    EXPECT_GE(parts[3].at - parts[0].at, 1300ms);
    ASSERT_EQ(m_client->Close(), S_OK);

    // Close reset the delay: the next stream comes as fast as the camera sends.
    const std::size_t before = m_sink->parts().size();
    ASSERT_EQ(open(m_camera->url(m_camera->videoPath())), S_OK);
    ASSERT_TRUE(m_sink->waitParts(before + 10, 5s));
    parts = m_sink->parts();
    EXPECT_LT(parts[before + 9].at - parts[before].at, 2000ms);
    m_client->Close();
}

TEST_F(LuminentStream, FrameRateIsReportedAboutEveryTwoSeconds)
{
    auto c = config();
    c.fps = 10;
    startCamera(c);
    makeClient();
    ASSERT_EQ(open(m_camera->url(m_camera->videoPath())), S_OK);
    ASSERT_TRUE(m_sink->waitStatus(CamStatusFrameRate, 10s));
    m_client->Close();
    const std::vector<SeenPart> parts = m_sink->parts();
    for (const SeenStatus& s : m_sink->statuses()) {
        if (s.status != CamStatusFrameRate) {
            continue;
        }
        const double rate = std::stod(s.info);
        EXPECT_GT(rate, 7.0) << s.info;
        EXPECT_LT(rate, 12.0) << s.info;
        EXPECT_GE(s.at - parts.front().at, 1900ms);
        break;
    }
}

TEST_F(LuminentStream, CloseWithASinkBlockedReturnsAfterAboutTwoSeconds)
{
    auto c = config();
    c.fps = 0;
    startCamera(c);
    makeClient();
    enableLog();
    // Shared with the hook: the callback thread leaves it only after this test body has
    // gone on past Close.
    struct Hold {
        std::promise<void> release;
        std::shared_future<void> released{release.get_future().share()};
        std::atomic<bool> blocked{false};
        std::atomic<bool> returned{false};
    };
    auto hold = std::make_shared<Hold>();
    m_sink->onPart([hold] {
        if (!hold->blocked.exchange(true)) {
            hold->released.wait();
            hold->returned = true;
        }
    });
    ASSERT_EQ(open(m_camera->url(m_camera->videoPath())), S_OK);
    ASSERT_TRUE(m_sink->waitParts(1, 10s));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(m_client->Close(), S_OK);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 1800ms);
    EXPECT_LT(took, 4000ms);
    hold->release.set_value();
    const std::string log = logText();
    EXPECT_NE(log.find("Callback thread hanging"), std::string::npos);
    EXPECT_EQ(log.find("Request thread hanging"), std::string::npos);
    // The callback thread ends by itself once the sink returns.
    EXPECT_TRUE(waitUntil([&] { return hold->returned.load(); }, 5s));
}

TEST_F(LuminentStream, PasswordsAreAnsweredBySetUserTheUrlAndThePrompt)
{
    auto c = config();
    c.fps = 0;
    c.auth = camsim::AuthMode::Basic;
    c.user = "root";
    c.password = "pass";
    c.faults.closeAfterParts = 2;
    startCamera(c);
    makeClient();
    enableLog();
    const std::string path = m_camera->videoPath();

    ASSERT_EQ(m_client->SetUser(Arg("root"), Arg("pass")), S_OK);
    ASSERT_EQ(open(m_camera->url(path)), S_OK);
    ASSERT_TRUE(m_sink->waitStatus(CamStatusStreamEnded, 10s));
    EXPECT_EQ(m_sink->parts().size(), 2u);
    m_client->Close();
    m_client->SetUser(nullptr, nullptr);

    const std::string withPassword = "http://root:pass@" + m_camera->host() + path;
    ASSERT_EQ(open(withPassword), S_OK);
    ASSERT_TRUE(m_sink->waitParts(4, 10s));
    m_client->Close();
    const std::string log = logText();
    EXPECT_EQ(log.find("root:pass@"), std::string::npos);
    EXPECT_NE(log.find("OpenUrl (http://root:***@" + m_camera->host()), std::string::npos) << log;

    int asked = 0;
    orvel::http::setCredentialsPrompt([&](const orvel::http::CredentialsQuestion&) {
        ++asked;
        return std::optional<orvel::http::Credentials>({"root", "pass"});
    });
    ASSERT_EQ(open(m_camera->url(path)), S_OK);
    ASSERT_TRUE(m_sink->waitParts(6, 10s));
    m_client->Close();
    EXPECT_EQ(asked, 1);
}

TEST_F(LuminentStream, DigestAndHttpsToTheCamera)
{
    auto c = config();
    c.fps = 0;
    c.auth = camsim::AuthMode::Digest;
    c.user = "root";
    c.password = "pass";
    c.https = true;
    c.faults.closeAfterParts = 2;
    startCamera(c);
    makeClient();
    m_client->SetUser(Arg("root"), Arg("pass"));
    ASSERT_EQ(open(m_camera->url(m_camera->videoPath())), S_OK);
    ASSERT_TRUE(m_sink->waitStatus(CamStatusStreamEnded, 10s));
    EXPECT_EQ(m_sink->parts().size(), 2u);
    m_client->Close();

    int asked = 0;
    orvel::http::setTrustPrompt([&](const orvel::http::CertificateInfo&, HWND) {
        ++asked;
        return true;
    });
    const std::size_t before = m_sink->parts().size();
    ASSERT_EQ(open(m_camera->httpsUrl(m_camera->videoPath())), S_OK);
    ASSERT_TRUE(m_sink->waitParts(before + 2, 10s));
    m_client->Close();
    EXPECT_EQ(asked, 1);
    for (const SeenPart& part : m_sink->parts())
        EXPECT_TRUE(isWholeJpeg(part.data));
}

// A quick sink runs on the processor of the thread that reads the stream (parts stay in its
// cache); a sink that takes its time over each part must not be held there, or reading the next
// part could no longer go on beside it.
TEST_F(LuminentStream, QuickSinksShareTheReadersProcessorSlowSinksRunAnywhere)
{
    cpu_set_t allowed;
    ASSERT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
    if (CPU_COUNT(&allowed) < 2)
        GTEST_SKIP() << "one processor only";
    auto c = config();
    c.fps = 50;
    ASSERT_NO_FATAL_FAILURE(startCamera(c));
    ASSERT_NO_FATAL_FAILURE(makeClient());
    struct Seen {
        std::atomic<bool> slow{false};
        std::atomic<int> processors{0}; // the callback thread may run on, at the last part
    };
    auto seen = std::make_shared<Seen>();
    m_sink->onPart([seen] {
        cpu_set_t mine;
        if (sched_getaffinity(0, sizeof mine, &mine) == 0)
            seen->processors = CPU_COUNT(&mine);
        if (seen->slow)
            std::this_thread::sleep_for(5ms);
    });
    ASSERT_EQ(open(m_camera->url(m_camera->videoPath())), S_OK);
    ASSERT_TRUE(m_sink->waitParts(20, 10s));
    EXPECT_EQ(seen->processors.load(), 1);

    seen->slow = true;
    ASSERT_TRUE(m_sink->waitParts(40, 10s));
    EXPECT_EQ(seen->processors.load(), CPU_COUNT(&allowed));
    m_client->Close();
}

TEST_F(LuminentStream, FourClientsStreamAtOnce)
{
    auto c = config();
    c.fps = 25;
    startCamera(c);
    struct Client {
        ComPtr<ICamMultipartRequest> request;
        ComPtr<ICamRequestSink> sinkRef;
        StreamSink* sink = nullptr;
        UI4 cookie = 0;
    };
    std::vector<Client> clients(4);
    for (Client& cl : clients) {
        cl.request = create<ICamMultipartRequest>(CLSID_Luminent);
        ASSERT_EQ(StreamSink::createInstance(nullptr, IID_ICamRequestSink, cl.sinkRef.putVoid()),
                  S_OK);
        cl.sink = static_cast<StreamSink*>(cl.sinkRef.get());
        cl.sink->watch(cl.request.get());
        ASSERT_EQ(cl.request->DataAdvise(cl.sinkRef.get(), nullptr, &cl.cookie), S_OK);
        ASSERT_EQ(
            cl.request->OpenUrl(Arg(m_camera->url(m_camera->videoPath()).c_str()), 0, nullptr),
            S_OK);
    }
    EXPECT_NE(clients[0].cookie, clients[1].cookie);
    for (Client& cl : clients) {
        EXPECT_TRUE(cl.sink->waitParts(10, 10s));
        for (const SeenPart& p : cl.sink->parts())
            EXPECT_EQ(p.cookie, cl.cookie);
    }
    for (Client& cl : clients)
        cl.request->Close();
}

TEST_F(LuminentStream, OpenCloseCyclesUnderLoad)
{
    auto c = config();
    c.fps = 0;
    startCamera(c);
    makeClient();
    const std::string url = m_camera->url(m_camera->videoPath());
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(open(url), S_OK);
        if (i % 100 == 0) {
            ASSERT_TRUE(m_sink->waitParts(m_sink->parts().size() + 1, 10s));
        }
        ASSERT_EQ(m_client->Close(), S_OK);
    }
    EXPECT_TRUE(m_camera->waitForActiveStreams(0, 10s));
}

TEST_F(LuminentStream, AdviseWithoutDataObjectDropsPartsWithoutStalling)
{
    auto c = config();
    c.fps = 0;
    startCamera(c);
    makeClient();
    ASSERT_EQ(m_client->DataUnadvise(), S_OK);
    GUID iid = IID_ICamDataObject;
    void* object = nullptr;
    EXPECT_EQ(m_client->QueryDataObject(&iid, &object), E_POINTER);
    ASSERT_EQ(open(m_camera->url(m_camera->videoPath())), S_OK);
    ASSERT_TRUE(m_camera->waitForActiveStreams(1, 5s));
    // Far more parts than the sockets' buffers hold go by: the client reads and drops them.
    constexpr std::uint64_t kUnseenParts = 2000;
    EXPECT_TRUE(waitUntil([&] { return m_camera->partsServed() >= kUnseenParts; }, 30s))
        << "the camera could send only " << m_camera->partsServed() << " parts";
    EXPECT_TRUE(m_sink->parts().empty());
    ASSERT_EQ(m_client->DataAdvise(m_sinkRef.get(), nullptr, &m_cookie), S_OK);
    EXPECT_TRUE(m_sink->waitParts(3, 10s));
    m_client->Close();
}

class LuminentSimpleRequest : public LuminentStream {};

TEST_F(LuminentSimpleRequest, GetReturnsTheBodyWithACountedZero)
{
    auto c = config();
    startCamera(c);
    makeClient();
    ComPtr<ICamSimpleRequest> simple = m_client.as<ICamSimpleRequest>();
    ASSERT_TRUE(simple);
    const std::string url =
        m_camera->url("/orvel-cgi/view/param.cgi?action=list&group=root.Brand.ProdShortName");

    UI4 size = 77;
    UI1* body = nullptr;
    // No stream open: nothing happens.
    EXPECT_EQ(simple->SendGETRequest(5000, Arg(url.c_str()), &size, &body), S_OK);
    EXPECT_EQ(size, 77u);
    EXPECT_EQ(body, nullptr);

    ASSERT_EQ(open(m_camera->url(m_camera->videoPath())), S_OK);
    ASSERT_EQ(simple->SendGETRequest(5000, Arg(url.c_str()), &size, &body), S_OK);
    ASSERT_NE(body, nullptr);
    const std::string text(reinterpret_cast<char*>(body), size - 1);
    EXPECT_EQ(body[size - 1], 0);
    EXPECT_EQ(text.rfind("root.Brand.ProdShortName=", 0), 0u) << text;
    CoTaskMemFree(body);

    UI1 post[] = {'x'};
    EXPECT_EQ(simple->SendPOSTRequest(5000, Arg(url.c_str()), 0, post, &size, &body), E_INVALIDARG);
    EXPECT_EQ(simple->SendGETRequest(5000, nullptr, &size, &body), E_INVALIDARG);
    EXPECT_EQ(simple->SendGETRequest(5000, Arg(url.c_str()), nullptr, &body), E_INVALIDARG);
    m_client->Close();
}

TEST_F(LuminentSimpleRequest, BusyWithoutWaitAndTimedOutWaits)
{
    auto c = config();
    c.faults.slowHeaderDelayMs = 150; // every answer's head takes a while
    startCamera(c);
    makeClient();
    ComPtr<ICamSimpleRequest> simple = m_client.as<ICamSimpleRequest>();
    const std::string image = m_camera->url(m_camera->imagePath());
    ASSERT_EQ(open(m_camera->url(m_camera->videoPath())), S_OK);

    EXPECT_EQ(simple->SendGETRequest(0, Arg(image.c_str()), nullptr, nullptr), S_OK);
    EXPECT_EQ(simple->SendGETRequest(0, Arg(image.c_str()), nullptr, nullptr), S_FALSE);

    UI4 size = 0;
    UI1* body = nullptr;
    EXPECT_EQ(simple->SendGETRequest(100, Arg(image.c_str()), &size, &body), S_OK);
    EXPECT_EQ(body, nullptr); // timed out: outputs untouched
    // The next request aborts the abandoned one first, then gets its whole answer.
    ASSERT_EQ(simple->SendGETRequest(15000, Arg(image.c_str()), &size, &body), S_OK);
    ASSERT_NE(body, nullptr);
    EXPECT_TRUE(isWholeJpeg(std::string(reinterpret_cast<char*>(body), size - 1)));
    CoTaskMemFree(body);
    m_client->Close();
}

// A body cut short, by the connection closing or being reset before its Content-Length came,
// is a failure with no half body, and the log says what happened.
TEST_F(LuminentSimpleRequest, BodyCutShortIsAFailure)
{
    for (const bool reset : {false, true}) {
        SCOPED_TRACE(reset ? "reset" : "closed");
        auto c = config();
        c.faults.extraBodyBytes = 100000;
        (reset ? c.faults.resetAfterBytes : c.faults.closeAfterBytes) = 50000;
        ASSERT_NO_FATAL_FAILURE(startCamera(c));
        ASSERT_NO_FATAL_FAILURE(makeClient());
        if (!m_logEnabled)
            enableLog();
        ComPtr<ICamSimpleRequest> simple = m_client.as<ICamSimpleRequest>();
        const std::string url =
            m_camera->url("/orvel-cgi/view/param.cgi?action=list&group=root.Brand.ProdShortName");
        ASSERT_EQ(open(m_camera->url(m_camera->videoPath())), S_OK);
        UI4 size = 77;
        UI1* body = nullptr;
        const HRESULT hr = simple->SendGETRequest(10000, Arg(url.c_str()), &size, &body);
        EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
        EXPECT_EQ(body, nullptr);
        EXPECT_EQ(size, 0u);
        CoTaskMemFree(body);
        m_client->Close();
        const std::string log = logText();
        EXPECT_NE(log.find("Simple request failed: "), std::string::npos) << log;
        EXPECT_NE(log.find(" bytes of 1000"), std::string::npos) << log;
    }
}

// A reply larger than a simple request takes is refused, not taken whole into memory.
TEST_F(LuminentSimpleRequest, ReplyLargerThanTheBoundIsAFailure)
{
    auto c = config();
    c.faults.extraBodyBytes = kCamMaxPartBytes + 1;
    startCamera(c);
    makeClient();
    enableLog();
    ComPtr<ICamSimpleRequest> simple = m_client.as<ICamSimpleRequest>();
    const std::string url =
        m_camera->url("/orvel-cgi/view/param.cgi?action=list&group=root.Brand.ProdShortName");
    ASSERT_EQ(open(m_camera->url(m_camera->videoPath())), S_OK);
    UI4 size = 77;
    UI1* body = nullptr;
    EXPECT_EQ(simple->SendGETRequest(60000, Arg(url.c_str()), &size, &body), E_OUTOFMEMORY);
    EXPECT_EQ(body, nullptr);
    EXPECT_EQ(size, 0u);
    CoTaskMemFree(body);
    m_client->Close();
    EXPECT_NE(logText().find("Simple request failed: the reply is larger than 64 MiB"),
              std::string::npos);
}

} // namespace lumin::test
