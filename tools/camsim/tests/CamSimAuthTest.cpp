// Password checks as an independent HTTP client (libcurl) meets them: none, Basic, Digest
// with qop=auth, and the same camera over HTTPS.

#include "testsupport/CamSimFixture.h"
#include "tools/camsim/HttpAuth.h"
#include "tools/camsim/tests/TestClient.h"

#include <curl/curl.h>

using namespace camsim;
using namespace camsim::test;

namespace {

struct CurlResult {
    long status = 0;
    std::string body;
    CURLcode code = CURLE_OK;
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* out)
{
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

CurlResult curlGet(const std::string& url, long authMethods = CURLAUTH_NONE,
                   const std::string& credentials = {})
{
    CurlResult result;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &result.body);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 10000L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L); // the camera's certificate is its own
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    if (authMethods != CURLAUTH_NONE) {
        curl_easy_setopt(curl, CURLOPT_HTTPAUTH, authMethods);
        curl_easy_setopt(curl, CURLOPT_USERPWD, credentials.c_str());
    }
    result.code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.status);
    curl_easy_cleanup(curl);
    return result;
}

class AuthTest : public CamSimFixture {
protected:
    CamSim* start(AuthMode mode, bool https = false)
    {
        CamSimConfig c;
        c.model = "OS34";
        c.auth = mode;
        c.user = "viewer";
        c.password = "s3cret:pass";
        c.https = https;
        return startCamera(c);
    }
};

} // namespace

TEST_F(AuthTest, WithoutAuthenticationEveryoneIsServed)
{
    CamSim* sim = start(AuthMode::None);
    ASSERT_TRUE(sim);
    CurlResult result = curlGet(sim->url(sim->imagePath()));
    EXPECT_EQ(result.status, 200);
    EXPECT_TRUE(decodeJpeg(result.body).valid());
}

TEST_F(AuthTest, BasicAcceptsOnlyTheConfiguredUser)
{
    CamSim* sim = start(AuthMode::Basic);
    ASSERT_TRUE(sim);
    Reply challenge = fetch(sim->config().address, 80, sim->imagePath());
    EXPECT_EQ(challenge.status, 401);
    EXPECT_EQ(challenge.header("WWW-Authenticate"), "Basic realm=\"OS34\"");

    EXPECT_EQ(curlGet(sim->url(sim->imagePath()), CURLAUTH_BASIC, "viewer:s3cret:pass").status,
              200);
    EXPECT_EQ(curlGet(sim->url(sim->imagePath()), CURLAUTH_BASIC, "viewer:wrong").status, 401);
    EXPECT_EQ(curlGet(sim->url(sim->imagePath()), CURLAUTH_BASIC, "other:s3cret:pass").status, 401);
    // The log shows what was sent.
    auto requests = sim->requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[1].request.header("Authorization"),
              "Basic " + base64Encode("viewer:s3cret:pass"));
    EXPECT_EQ(requests[1].status, 200);
}

TEST_F(AuthTest, DigestChallengesWithQopAuthAndChecksTheResponse)
{
    CamSim* sim = start(AuthMode::Digest);
    ASSERT_TRUE(sim);
    Reply challenge = fetch(sim->config().address, 80, sim->videoPath());
    EXPECT_EQ(challenge.status, 401);
    std::string header = challenge.header("WWW-Authenticate");
    EXPECT_EQ(header.rfind("Digest realm=\"OS34\"", 0), 0u) << header;
    EXPECT_NE(header.find("qop=\"auth\""), std::string::npos);
    EXPECT_NE(header.find("algorithm=MD5"), std::string::npos);
    EXPECT_NE(header.find("nonce=\""), std::string::npos);

    CurlResult good = curlGet(sim->url(sim->imagePath()), CURLAUTH_DIGEST, "viewer:s3cret:pass");
    EXPECT_EQ(good.status, 200);
    EXPECT_TRUE(decodeJpeg(good.body).valid());
    EXPECT_EQ(curlGet(sim->url(sim->imagePath()), CURLAUTH_DIGEST, "viewer:nope").status, 401);
    // Basic is not enough for a Digest camera.
    EXPECT_EQ(curlGet(sim->url(sim->imagePath()), CURLAUTH_BASIC, "viewer:s3cret:pass").status,
              401);
}

TEST_F(AuthTest, DigestWithANonceItNeverIssuedIsStale)
{
    CamSim* sim = start(AuthMode::Digest);
    ASSERT_TRUE(sim);
    const std::string uri = sim->imagePath();
    const std::string nonce = "0123456789abcdef";
    std::string ha1 = md5Hex("viewer:OS34:s3cret:pass");
    std::string ha2 = md5Hex("GET:" + uri);
    std::string response = md5Hex(ha1 + ":" + nonce + ":00000001:c0ffee:auth:" + ha2);
    Reply reply =
        fetch(sim->config().address, 80, uri,
              "Authorization: Digest username=\"viewer\", realm=\"OS34\", nonce=\"" + nonce +
                  "\", uri=\"" + uri + "\", qop=auth, nc=00000001, cnonce=\"c0ffee\", response=\"" +
                  response + "\"\r\n");
    EXPECT_EQ(reply.status, 401);
    EXPECT_NE(reply.header("WWW-Authenticate").find("stale=true"), std::string::npos);
}

TEST_F(AuthTest, HttpsServesTheSameCameraWithItsOwnCertificate)
{
    CamSim* sim = start(AuthMode::Digest, true);
    ASSERT_TRUE(sim);
    CurlResult result =
        curlGet(sim->httpsUrl(sim->imagePath()), CURLAUTH_DIGEST, "viewer:s3cret:pass");
    EXPECT_EQ(result.code, CURLE_OK) << curl_easy_strerror(result.code);
    EXPECT_EQ(result.status, 200);
    EXPECT_TRUE(decodeJpeg(result.body).valid());
    auto requests = sim->requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().port, 443);
}
