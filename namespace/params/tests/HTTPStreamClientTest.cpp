// The parameter client against simulated cameras: what it sends, what it reads, how it fails
// when a camera refuses, errs or falls silent.

#include "namespace/params/HTTPStreamClient.h"

#include "namespace/params/tests/TestCameras.h"
#include "namespace/params/tests/TraceCapture.h"
#include "platform/http/CertificateTrust.h"
#include "platform/http/Prompts.h"
#include "testsupport/CamSimFixture.h"

#include <chrono>
#include <cstring>
#include <gtest/gtest.h>

using namespace foldra;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr HRESULT kTimedOut = HRESULT_FROM_WIN32(12002);
constexpr const char* kListAll = "/orvel-cgi/view/param.cgi?action=list&group=";

class HTTPStreamClientTest : public CamSimFixture {
protected:
    void TearDown() override
    {
        orvel::http::setCredentialsPrompt({});
        orvel::http::setTrustPrompt({});
        orvel::http::forgetTrustedCertificates();
        CamSimFixture::TearDown();
    }

    static void setTimeout(HTTPStreamClient& client, const char* name, LONG ms)
    {
        ASSERT_EQ(client.SetProperty(name, Variant::fromI4(ms).get()), S_OK);
    }

    static std::string body(HTTPStreamClient& client)
    {
        std::string text;
        EXPECT_EQ(readBody(client, 1 << 20, 4096, text, nullptr), S_OK);
        return text;
    }

    TraceCapture m_trace;
};

LONG intProperty(HTTPStreamClient& client, const char* name)
{
    Variant value;
    EXPECT_EQ(client.GetProperty(name, value.out()), S_OK);
    EXPECT_EQ(value.type(), VT_I4);
    return V_I4(value.get());
}

std::string textProperty(HTTPStreamClient& client, const char* name)
{
    Variant value;
    EXPECT_EQ(client.GetProperty(name, value.out()), S_OK);
    EXPECT_EQ(value.type(), VT_BSTR);
    return bstrToUtf8(V_BSTR(value.get()));
}

} // namespace

TEST_F(HTTPStreamClientTest, TimeoutsTakePositiveNumbersOnlyAndKeepTheOldValue)
{
    HTTPStreamClient client;
    EXPECT_EQ(intProperty(client, "net_timeout"), 15000);
    EXPECT_EQ(intProperty(client, "data_timeout"), 15000);

    EXPECT_EQ(client.SetProperty("net_timeout", Variant::fromUtf8("2500").get()), S_OK);
    EXPECT_EQ(client.SetProperty("DATA_TIMEOUT", Variant::fromI4(700).get()), S_OK);
    for (const Variant& bad : {Variant::fromI4(0), Variant::fromI4(-5), Variant::fromUtf8("abc"),
                               Variant::fromUtf8("")}) {
        EXPECT_EQ(client.SetProperty("net_timeout", bad.get()), E_INVALIDARG);
        EXPECT_EQ(client.SetProperty("data_timeout", bad.get()), E_INVALIDARG);
    }
    EXPECT_EQ(intProperty(client, "net_timeout"), 2500);
    EXPECT_EQ(intProperty(client, "data_timeout"), 700);
    EXPECT_TRUE(m_trace.has("error parsing timeout - timeout <= 0"));
    EXPECT_TRUE(m_trace.has("error parsing timeout - bad format, e=0x80020005"));

    EXPECT_EQ(textProperty(client, "stream_uname"), "");
    EXPECT_EQ(client.SetProperty("stream_uname", Variant::fromUtf8(" root ").get()), S_OK);
    EXPECT_EQ(client.SetProperty("stream_pwd", Variant::fromUtf8("p=w d").get()), S_OK);
    EXPECT_EQ(textProperty(client, "stream_uname"), " root ");
    EXPECT_EQ(textProperty(client, "stream_pwd"), "p=w d");

    Variant value;
    EXPECT_EQ(client.GetProperty("timeout", value.out()), E_INVALIDARG);
    EXPECT_EQ(client.SetProperty("timeout", Variant::fromI4(5).get()), E_INVALIDARG);
    EXPECT_TRUE(m_trace.has("error get property - property not supported"));
    EXPECT_TRUE(m_trace.has("error set property - prop invalid"));
}

TEST_F(HTTPStreamClientTest, ReadsAParameterListAndAnswersQueriesOnItsHead)
{
    camsim::CamSim* cam = startCamera();
    ASSERT_TRUE(cam);
    HTTPStreamClient client;
    DWORD status = 0;
    std::string message = "old";
    ASSERT_EQ(
        client.OpenURL(cam->url(kListAll), &status, "http://page.example/cams.html", &message),
        S_OK);
    EXPECT_EQ(status, 200u);
    EXPECT_EQ(message, "");
    const std::string list = body(client);
    EXPECT_NE(list.find("root.Brand.ProdShortName=OS34\r\n"), std::string::npos) << list;
    EXPECT_NE(list.find("root.ImageSource.NbrOfSources=4\r\n"), std::string::npos);

    const std::vector<camsim::LoggedRequest> requests = cam->requests();
    ASSERT_EQ(requests.size(), 1u);
    const camsim::HttpRequest& sent = requests[0].request;
    EXPECT_EQ(sent.header("User-Agent"), "HTTPStreamClient");
    EXPECT_EQ(sent.header("Referer"), "http://page.example/cams.html");
    EXPECT_EQ(sent.header("Pragma"), "no-cache");

    DWORD code = 0;
    DWORD length = sizeof code;
    ASSERT_EQ(client.QueryHTTPResponse(HttpQueryStatusCode | HttpQueryFlagNumber, &length, &code),
              S_OK);
    EXPECT_EQ(code, 200u);
    char small[4];
    length = sizeof small;
    EXPECT_EQ(client.QueryHTTPResponse(HttpQueryContentType, &length, small),
              HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(length, std::string("text/plain").size() + 1);
    char text[64] = "Server";
    length = sizeof text;
    ASSERT_EQ(client.QueryHTTPResponse(HttpQueryCustom, &length, text), S_OK);
    EXPECT_EQ(std::string(text), "OS34/3.10");
    EXPECT_EQ(length, 9u);
    std::strcpy(text, "X-Nothing");
    length = sizeof text;
    EXPECT_EQ(client.QueryHTTPResponse(HttpQueryCustom, &length, text),
              HRESULT_FROM_WIN32(ERROR_HTTP_HEADER_NOT_FOUND));
    length = sizeof text;
    EXPECT_EQ(client.QueryHTTPResponse(999, &length, text), E_INVALIDARG);

    EXPECT_EQ(client.Close(), S_OK);
    EXPECT_EQ(client.Close(), S_OK);
    std::size_t count = 1;
    EXPECT_EQ(client.GetData(sizeof text, text, &count), E_HANDLE);
    EXPECT_EQ(count, 0u);
    length = sizeof text;
    EXPECT_EQ(client.QueryHTTPResponse(HttpQueryStatusText, &length, text), E_HANDLE);
    EXPECT_TRUE(m_trace.has("error get data - client not initialized, call OpenURL first"));
}

TEST_F(HTTPStreamClientTest, AnErrorPageFailsWithItsTitleAsMessageAndItsStatusText)
{
    camsim::CamSim* cam = startCamera(withFaults([&](camsim::Faults& f) { f.forceStatus = 404; }));
    ASSERT_TRUE(cam);
    HTTPStreamClient client;
    DWORD status = 0;
    std::string message;
    EXPECT_EQ(client.OpenURL(cam->url(kListAll), &status, {}, &message), E_FAIL);
    EXPECT_EQ(status, 404u);
    EXPECT_EQ(message, "404 Not Found");
    EXPECT_TRUE(m_trace.has("error OpenURL - HTTP status ret = 404"));

    char text[6] = "stale";
    EXPECT_EQ(client.OpenURLWithText(cam->url(kListAll), &status, text, sizeof text), E_FAIL);
    EXPECT_EQ(std::string(text), "Not F"); // "Not Found", cut to the buffer
    EXPECT_TRUE(m_trace.has("error OpenURL - fail, hr=0x80004005"));
}

TEST_F(HTTPStreamClientTest, A401IsAnsweredByThePromptOrStandsAsAccessDenied)
{
    camsim::CamSim* cam = startCamera(passwordCamera());
    ASSERT_TRUE(cam);

    int asked = 0;
    bool answer = true;
    orvel::http::setCredentialsPrompt(
        [&](const orvel::http::CredentialsQuestion&) -> std::optional<orvel::http::Credentials> {
            ++asked;
            if (!answer)
                return std::nullopt;
            return orvel::http::Credentials{"root", "pass"};
        });
    HTTPStreamClient client;
    DWORD status = 0;
    ASSERT_EQ(client.OpenURL(cam->url(kListAll), &status, {}, nullptr), S_OK);
    EXPECT_EQ(status, 200u);
    EXPECT_EQ(asked, 1);
    EXPECT_NE(body(client).find("root.Brand.ProdShortName=OS34"), std::string::npos);

    answer = false;
    EXPECT_EQ(client.OpenURL(cam->url(kListAll), &status, {}, nullptr), E_ACCESSDENIED);
    EXPECT_EQ(status, 401u);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(m_trace.has("error OpenURL - acc denied"));

    // Credentials of its own need no prompt: the URL's, else stream_uname and stream_pwd.
    const std::string withUser = "http://root:pass@" + cam->host() + kListAll;
    EXPECT_EQ(client.OpenURL(withUser, &status, {}, nullptr), S_OK);
    ASSERT_EQ(client.SetProperty("stream_uname", Variant::fromUtf8("root").get()), S_OK);
    ASSERT_EQ(client.SetProperty("stream_pwd", Variant::fromUtf8("pass").get()), S_OK);
    EXPECT_EQ(client.OpenURL(cam->url(kListAll), &status, {}, nullptr), S_OK);
    EXPECT_EQ(asked, 2);
}

TEST_F(HTTPStreamClientTest, ACameraThatNeverAnswersFailsTheOpenAfterNetTimeout)
{
    camsim::CamSim* cam =
        startCamera(withFaults([&](camsim::Faults& f) { f.stallAfterBytes = 0; }));
    ASSERT_TRUE(cam);
    HTTPStreamClient client;
    setTimeout(client, "net_timeout", 800);
    DWORD status = 0;
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(client.OpenURL(cam->url(kListAll), &status, {}, nullptr), kTimedOut);
    const auto took = Clock::now() - start;
    EXPECT_GE(took, 700ms);
    EXPECT_LT(took, 800ms + 4s);
    EXPECT_TRUE(cam->waitForRequests(1, 1s)); // it was asked, and kept silent
    EXPECT_TRUE(m_trace.has("error OpenURL - timeout when sending request") ||
                m_trace.has("error conn thread - HttpSendRequest fail, e=12002"));
}

TEST_F(HTTPStreamClientTest, ABodyThatStopsFailsTheReadAfterDataTimeoutAndCloses)
{
    // The head's size, from the same camera answering whole.
    camsim::CamSim* whole = startCamera();
    ASSERT_TRUE(whole);
    HTTPStreamClient probe;
    ASSERT_EQ(probe.OpenURL(whole->url(kListAll), nullptr, {}, nullptr), S_OK);
    DWORD headLength = 0;
    char head[2048];
    headLength = sizeof head;
    ASSERT_EQ(probe.QueryHTTPResponse(HttpQueryRawHeadersCrLf, &headLength, head), S_OK);
    probe.Close();

    camsim::CamSim* cam = startCamera(withFaults(
        [&](camsim::Faults& f) { f.stallAfterBytes = static_cast<int>(headLength) + 10; }));
    ASSERT_TRUE(cam);
    HTTPStreamClient client;
    setTimeout(client, "data_timeout", 800);
    ASSERT_EQ(client.OpenURL(cam->url(kListAll), nullptr, {}, nullptr), S_OK);
    char buffer[4096];
    std::size_t count = 0;
    ASSERT_EQ(client.GetData(sizeof buffer, buffer, &count), S_OK);
    EXPECT_EQ(std::string(buffer, count), "root.Brand");

    const Clock::time_point start = Clock::now();
    EXPECT_EQ(client.GetData(sizeof buffer, buffer, &count), kTimedOut);
    const auto took = Clock::now() - start;
    EXPECT_GE(took, 700ms);
    EXPECT_LT(took, 800ms + 4s);
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(m_trace.has("error get data - timeout when getting data"));
    EXPECT_EQ(client.GetData(sizeof buffer, buffer, &count), E_HANDLE);
}

TEST_F(HTTPStreamClientTest, URLsItCannotUseFailBeforeAnythingIsSent)
{
    HTTPStreamClient client;
    DWORD status = 0;
    EXPECT_EQ(client.OpenURL("ftp://127.0.0.1/param.cgi", &status, {}, nullptr),
              HRESULT_FROM_WIN32(12006));
    EXPECT_TRUE(m_trace.has("error interpret url - Internet scheme not HTTP or HTTPS"));
    EXPECT_EQ(client.OpenURL("http://", &status, {}, nullptr), HRESULT_FROM_WIN32(12005));
    EXPECT_EQ(client.OpenURL("127.0.0.1/x", &status, {}, nullptr), HRESULT_FROM_WIN32(12005));
    EXPECT_TRUE(m_trace.has("error interpret url - InternetCrackUrl fail, e=12005"));
    EXPECT_EQ(status, 200u);
}

TEST_F(HTTPStreamClientTest, AnUntrustedCertificateIsPutToThePromptAndSentAgainWhenAccepted)
{
    camsim::CamSimConfig config;
    config.https = true; // a self-signed certificate on 443
    camsim::CamSim* cam = startCamera(config);
    ASSERT_TRUE(cam);
    int asked = 0;
    bool accept = false;
    orvel::http::setTrustPrompt([&](const orvel::http::CertificateInfo& info, HWND) {
        ++asked;
        EXPECT_EQ(info.host, cam->config().address);
        return accept;
    });
    HTTPStreamClient client;
    EXPECT_EQ(client.OpenURL(cam->httpsUrl(kListAll), nullptr, {}, nullptr),
              HRESULT_FROM_WIN32(12045));
    EXPECT_EQ(asked, 1);

    accept = true;
    ASSERT_EQ(client.OpenURL(cam->httpsUrl(kListAll), nullptr, {}, nullptr), S_OK);
    EXPECT_EQ(asked, 2);
    EXPECT_NE(body(client).find("root.Brand.ProdShortName=OS34"), std::string::npos);
    // Port 443 speaks TLS even when the URL says http, as the cameras' own links do.
    ASSERT_EQ(
        client.OpenURL("http://" + cam->config().address + ":443" + kListAll, nullptr, {}, nullptr),
        S_OK);
    EXPECT_EQ(asked, 2); // accepted once for the rest of the process
    const std::vector<camsim::LoggedRequest> requests = cam->requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].port, 443);
}
