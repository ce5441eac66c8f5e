#include "platform/http/Request.h"

#include "platform/http/CertificateTrust.h"
#include "platform/http/Connection.h"
#include "platform/http/ConnectionLimits.h"
#include "platform/http/Prompts.h"
#include "platform/http/Session.h"
#include "platform/http/tests/TestServer.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <future>
#include <gtest/gtest.h>
#include <iterator>
#include <thread>

using namespace orvel::http;
using namespace std::chrono_literals;
using test::Peer;
using test::RequestHead;
using test::TestServer;

namespace {

constexpr DWORD kStreamFlags =
    FlagReload | FlagNoCacheWrite | FlagKeepConnection | FlagPragmaNoCache; // 0x84400100

// Records status reports from any thread.
class StatusLog {
public:
    StatusCallback callback()
    {
        return [this](Context, HttpStatus s) {
            std::lock_guard lock(m_mutex);
            m_seen.push_back(static_cast<DWORD>(s));
            m_changed.notify_all();
        };
    }
    bool waitFor(DWORD status, std::chrono::milliseconds timeout = 5s)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] {
            return std::find(m_seen.begin(), m_seen.end(), status) != m_seen.end();
        });
    }
    std::vector<DWORD> seen()
    {
        std::lock_guard lock(m_mutex);
        return m_seen;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<DWORD> m_seen;
};

template <typename F> Session::Options options(F f)
{
    Session::Options o;
    f(o);
    return o;
}

std::string readAll(Request& request)
{
    std::string body;
    char buf[1000];
    std::size_t n = 0;
    while (request.read(buf, sizeof buf, n) == HttpError::None && n > 0)
        body.append(buf, n);
    return body;
}

std::shared_ptr<Request> openGet(const std::shared_ptr<Session>& session, const TestServer& server,
                                 const std::string& path, std::string user = {},
                                 std::string password = {}, Context context = 0)
{
    auto connection =
        session->connect("127.0.0.1", server.port(), std::move(user), std::move(password), context);
    return connection->openRequest("GET", path, kStreamFlags, context);
}

class PromptReset : public ::testing::Test {
protected:
    void TearDown() override
    {
        setCredentialsPrompt({});
        setTrustPrompt({});
        forgetTrustedCertificates();
        setMaxConnectionsPerServer(6);
    }
};

} // namespace

TEST(Request, GetReturnsStatusHeadersAndBody)
{
    RequestHead seen;
    TestServer server([&](Peer& peer, const RequestHead& head) {
        seen = head;
        peer.respond(200, "OK\r\n",
                     "Content-Type: text/plain\r\nX-Camera: one\r\nX-Camera: two\r\n");
    });
    auto session = Session::create(options([](Session::Options& o) { o.agent = "Luminent"; }));
    auto request = openGet(session, server, "/param.cgi?action=list&group=root");
    ASSERT_EQ(request->send(), HttpError::None) << request->errorDetail();
    EXPECT_EQ(request->statusCode(), 200);
    EXPECT_EQ(request->contentType().value_or(""), "text/plain");
    EXPECT_EQ(request->header("x-camera").value_or(""), "two"); // the last one counts
    EXPECT_FALSE(request->header("X-Missing").has_value());
    const std::string raw = request->rawHeaders();
    EXPECT_EQ(raw.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << raw;
    EXPECT_NE(raw.find("\r\nContent-Type: text/plain\r\n"), std::string::npos);
    EXPECT_EQ(raw.substr(raw.size() - 4), "\r\n\r\n");
    EXPECT_EQ(readAll(*request), "OK\r\n");

    EXPECT_EQ(seen.target, "/param.cgi?action=list&group=root");
    EXPECT_EQ(seen.header("User-Agent"), "Luminent");
    EXPECT_EQ(seen.header("Pragma"), "no-cache");
}

// readEach hands the body over in reads of at most the asked size, straight from the
// transfer; a consumer that stops takes the rest with its next call, nothing lost or doubled.
TEST(Request, ReadEachGivesTheWholeBodyInBoundedReadsAndResumesAfterAStop)
{
    std::string body;
    for (int i = 0; body.size() < 300000; ++i)
        body += std::to_string(i) + ",";
    TestServer server([&](Peer& peer, const RequestHead&) {
        peer.respond(200, body, "Content-Type: application/octet-stream\r\n");
    });
    auto session = Session::create();
    auto request = openGet(session, server, "/big");
    ASSERT_EQ(request->send(), HttpError::None) << request->errorDetail();

    std::string got;
    std::size_t largest = 0;
    std::size_t reads = 0;
    int calls = 0;
    const Request::Consumer consume = [&](const char* data, std::size_t size) {
        got.append(data, size);
        largest = std::max(largest, size);
        ++reads;
        return reads % 7 != 0; // stop now and then, mid-transfer
    };
    for (;;) {
        std::size_t count = 0;
        ASSERT_EQ(request->readEach(1000, consume, count), HttpError::None);
        if (count == 0)
            break;
        ++calls;
        // A plain read in between takes its bytes from the same place.
        if (calls % 5 == 0) {
            char piece[300];
            std::size_t n = 0;
            ASSERT_EQ(request->read(piece, sizeof piece, n), HttpError::None);
            got.append(piece, n);
        }
    }
    EXPECT_LE(largest, 1000u);
    EXPECT_GT(calls, 1);
    EXPECT_EQ(got.size(), body.size());
    EXPECT_TRUE(got == body);
}

// A stream's reads take whatever has arrived, far more than one piece at a time; each piece
// still goes to the consumer within the asked size and in order, and when the bytes stop the
// receive time-out still ends the wait.
TEST(Request, ReadEachOfAFastStreamKeepsItsBoundsAndStillTimesOutWhenItStalls)
{
    std::string body;
    for (int i = 0; body.size() < 3 * 1024 * 1024; ++i)
        body += std::to_string(i) + ";";
    TestServer server([&](Peer& peer, const RequestHead&) {
        peer.write("HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n\r\n");
        // Bursts of uneven sizes, larger and smaller than one read.
        const std::size_t bursts[] = {1, 700000, 2919, 1200000, 13};
        std::size_t at = 0;
        for (std::size_t i = 0; at < body.size(); ++i) {
            const std::size_t n = std::min(bursts[i % std::size(bursts)], body.size() - at);
            if (!peer.write(std::string_view(body).substr(at, n)))
                return;
            at += n;
        }
        while (!peer.stopping() && peer.write("")) // then silent, the connection open
            std::this_thread::sleep_for(20ms);
    });
    auto session = Session::create(options([](Session::Options& o) { o.receiveTimeout = 400ms; }));
    auto request = openGet(session, server, "/stream");
    ASSERT_EQ(request->send(), HttpError::None) << request->errorDetail();

    std::string got;
    std::size_t largest = 0;
    const Request::Consumer consume = [&](const char* data, std::size_t size) {
        got.append(data, size);
        largest = std::max(largest, size);
        return true;
    };
    HttpError e = HttpError::None;
    std::size_t count = 0;
    while (got.size() < body.size()) {
        e = request->readEach(2920, consume, count);
        if (e != HttpError::None || count == 0)
            break;
    }
    ASSERT_EQ(e, HttpError::None) << request->errorDetail();
    EXPECT_LE(largest, 2920u);
    ASSERT_EQ(got.size(), body.size());
    EXPECT_TRUE(got == body);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(request->readEach(2920, consume, count), HttpError::Timeout);
    EXPECT_EQ(count, 0u);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 350ms);
    EXPECT_LT(waited, 3s);
}

TEST(Request, ReportsConnectionStatusesInOrderAndClosedWhenTheServerEndsAStream)
{
    std::promise<void> release;
    auto released = release.get_future().share();
    TestServer server([&](Peer& peer, const RequestHead&) {
        peer.write("HTTP/1.0 200 OK\r\nContent-Type: multipart/x-mixed-replace;boundary=b\r\n\r\n");
        peer.write("--b\r\n\r\npart\r\n");
        released.wait();
        peer.close();
    });
    StatusLog log;
    auto session = Session::create();
    session->setStatusCallback(log.callback());
    auto request = openGet(session, server, "/video", {}, {}, 0x1234);
    ASSERT_EQ(request->send(), HttpError::None);
    char buf[64];
    std::size_t n = 0;
    ASSERT_EQ(request->read(buf, sizeof buf, n), HttpError::None);
    EXPECT_GT(n, 0u);
    const std::vector<DWORD> early = log.seen();
    EXPECT_EQ(std::count(early.begin(), early.end(), 51u), 0);

    release.set_value();
    std::string rest;
    while (request->read(buf, sizeof buf, n) == HttpError::None && n > 0)
        rest.append(buf, n);
    // The camera ended the stream: 50 and 51 come now, not when the request is destroyed.
    EXPECT_TRUE(log.waitFor(51, 2s));
    const std::vector<DWORD> seen = log.seen();
    const std::vector<DWORD> order = {60, 10, 11, 20, 21, 30, 31, 40, 41, 50, 51};
    auto at = seen.begin();
    for (DWORD s : order) {
        at = std::find(at, seen.end(), s);
        ASSERT_NE(at, seen.end()) << "status " << s << " missing or out of order";
    }
}

TEST(Request, StatusesOfAContextFreeRequestAreNotReported)
{
    TestServer server([](Peer& peer, const RequestHead&) { peer.respond(200, "x"); });
    StatusLog log;
    auto session = Session::create();
    session->setStatusCallback(log.callback());
    auto request = openGet(session, server, "/", {}, {}, 0);
    ASSERT_EQ(request->send(), HttpError::None);
    readAll(*request);
    request.reset();
    EXPECT_TRUE(log.seen().empty());
}

TEST(Request, CloseFromAnotherThreadEndsABlockedRead)
{
    TestServer server([](Peer& peer, const RequestHead&) {
        peer.write("HTTP/1.0 200 OK\r\nContent-Type: image/jpeg\r\n\r\n");
        while (!peer.stopping() && peer.write("")) // keeps the connection open, silent
            std::this_thread::sleep_for(20ms);
    });
    auto session = Session::create();
    auto request = openGet(session, server, "/");
    ASSERT_EQ(request->send(), HttpError::None);
    auto reader = std::async(std::launch::async, [request] {
        char buf[100];
        std::size_t n = 0;
        return request->read(buf, sizeof buf, n);
    });
    EXPECT_EQ(reader.wait_for(200ms), std::future_status::timeout); // really blocked
    const auto start = std::chrono::steady_clock::now();
    request->close();
    ASSERT_EQ(reader.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(reader.get(), HttpError::OperationCancelled);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    char buf[4];
    std::size_t n = 0;
    EXPECT_EQ(request->read(buf, sizeof buf, n), HttpError::OperationCancelled);
}

TEST(Request, SilentServerTimesOutAfterTheReceiveTimeout)
{
    TestServer server([](Peer& peer, const RequestHead&) {
        peer.write("HTTP/1.0 200 OK\r\n\r\nfirst");
        while (!peer.stopping() && peer.write(""))
            std::this_thread::sleep_for(20ms);
    });
    auto session = Session::create(options([](Session::Options& o) { o.receiveTimeout = 300ms; }));
    auto request = openGet(session, server, "/");
    ASSERT_EQ(request->send(), HttpError::None);
    char buf[100];
    std::size_t n = 0;
    ASSERT_EQ(request->read(buf, sizeof buf, n), HttpError::None);
    EXPECT_EQ(std::string(buf, n), "first");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(request->read(buf, sizeof buf, n), HttpError::Timeout);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 250ms);
    EXPECT_LT(waited, 3s);
}

TEST(Request, RefusedConnectionAndUnknownHostAreTheirOwnErrors)
{
    std::uint16_t freePort = 0;
    {
        TestServer server([](Peer&, const RequestHead&) {});
        freePort = server.port();
    }
    auto session = Session::create(options([](Session::Options& o) { o.connectTimeout = 3000ms; }));
    auto refused = session->connect("127.0.0.1", freePort, {}, {})->openRequest("GET", "/", 0);
    EXPECT_EQ(refused->send(), HttpError::CannotConnect);
    auto unknown = session->connect("no-such-host.invalid", 80, {}, {})->openRequest("GET", "/", 0);
    EXPECT_EQ(unknown->send(), HttpError::NameNotResolved);
    EXPECT_EQ(session->connect("", 80, {}, {}), nullptr);
}

TEST(Request, PostSendsTheBodyWithoutAddingAContentType)
{
    RequestHead seen;
    std::string received;
    TestServer server([&](Peer& peer, const RequestHead& head) {
        seen = head;
        received = peer.readBody(std::stoul(head.header("Content-Length"))).value_or("");
        peer.respond(200, "got " + std::to_string(received.size()));
    });
    auto session = Session::create();
    auto request = session->connect("127.0.0.1", server.port(), {}, {})
                       ->openRequest("POST", "/set.cgi", kStreamFlags);
    const std::string body = "root.Audiod.Enabled=yes";
    ASSERT_EQ(request->send(std::as_bytes(std::span(body))), HttpError::None);
    EXPECT_EQ(readAll(*request), "got 23");
    EXPECT_EQ(received, body);
    EXPECT_EQ(seen.method, "POST");
    EXPECT_FALSE(seen.has("Content-Type"));
}

TEST(Request, StreamsABodyOfDeclaredSizeInPieces)
{
    std::string received;
    RequestHead seen;
    TestServer server([&](Peer& peer, const RequestHead& head) {
        seen = head;
        received = peer.readBody(std::stoul(head.header("Content-Length"))).value_or("");
        peer.respond(200, "done");
    });
    auto session = Session::create();
    auto request = session->connect("127.0.0.1", server.port(), {}, {})
                       ->openRequest("POST", "/transmit.cgi", kStreamFlags);
    std::string piece(3000, 'a');
    ASSERT_EQ(request->beginBody(3 * piece.size(), "Content-type: audio/G723\r\n"),
              HttpError::None);
    for (char c : {'a', 'b', 'c'}) {
        std::fill(piece.begin(), piece.end(), c);
        ASSERT_EQ(request->write(piece.data(), piece.size()), HttpError::None);
    }
    EXPECT_EQ(request->write("x", 1), HttpError::IncorrectHandleState); // past the size
    ASSERT_EQ(request->endBody(), HttpError::None);
    EXPECT_EQ(request->statusCode(), 200);
    EXPECT_EQ(readAll(*request), "done");
    EXPECT_EQ(seen.header("Content-type"), "audio/G723");
    ASSERT_EQ(received.size(), 9000u);
    EXPECT_EQ(received[0], 'a');
    EXPECT_EQ(received[3000], 'b');
    EXPECT_EQ(received[8999], 'c');
}

TEST(Request, ProxyFromTheEnvironmentIsUsedUnlessDirect)
{
    std::vector<std::string> targets;
    std::mutex mutex;
    TestServer proxy([&](Peer& peer, const RequestHead& head) {
        std::lock_guard lock(mutex);
        targets.push_back(head.target);
        peer.respond(200, "via proxy");
    });
    ::setenv("http_proxy", proxy.url("").c_str(), 1);
    EXPECT_TRUE(proxyConfigured());
    auto viaProxy = Session::create();
    auto request =
        viaProxy->connect("cam.example", 80, {}, {})->openRequest("GET", "/jpg/image.cgi", 0);
    const HttpError sent = request->send();
    ::unsetenv("http_proxy");
    ASSERT_EQ(sent, HttpError::None) << request->errorDetail();
    EXPECT_EQ(readAll(*request), "via proxy");
    {
        std::lock_guard lock(mutex);
        ASSERT_EQ(targets.size(), 1u);
        EXPECT_EQ(targets[0], "http://cam.example/jpg/image.cgi");
    }
    EXPECT_FALSE(proxyConfigured());

    TestServer direct([](Peer& peer, const RequestHead&) { peer.respond(200, "direct"); });
    ::setenv("http_proxy", proxy.url("").c_str(), 1);
    auto noProxy =
        Session::create(options([](Session::Options& o) { o.proxy = ProxyMode::Direct; }));
    auto plain = openGet(noProxy, direct, "/");
    const HttpError plainSent = plain->send();
    ::unsetenv("http_proxy");
    ASSERT_EQ(plainSent, HttpError::None);
    EXPECT_EQ(readAll(*plain), "direct");
}

TEST_F(PromptReset, BasicCredentialsFromTheConnectionAnswerA401)
{
    TestServer server([](Peer& peer, const RequestHead& head) {
        // "root:pass" in base 64
        if (head.header("Authorization") == "Basic cm9vdDpwYXNz")
            peer.respond(200, "image");
        else
            peer.respond(401, "denied", "WWW-Authenticate: Basic realm=\"cam\"\r\n");
    });
    auto session = Session::create();
    auto withUser = openGet(session, server, "/", "root", "pass");
    ASSERT_EQ(withUser->send(), HttpError::None);
    EXPECT_EQ(withUser->statusCode(), 200);
    EXPECT_EQ(readAll(*withUser), "image");

    // No credentials and no GUI: the 401 stands and its body can be read.
    auto without = openGet(session, server, "/");
    const HttpError sent = without->send();
    ASSERT_EQ(sent, HttpError::None);
    EXPECT_EQ(without->statusCode(), 401);
    EXPECT_EQ(resolveAfterSend(*without, sent, nullptr), AfterSend::Done);
    EXPECT_EQ(readAll(*without), "denied");
}

TEST_F(PromptReset, CredentialsPromptAnswersA401AndCancelLeavesIt)
{
    TestServer server([](Peer& peer, const RequestHead& head) {
        if (head.header("Authorization") == "Basic cm9vdDpwYXNz")
            peer.respond(200, "image");
        else
            peer.respond(401, "denied", "WWW-Authenticate: Basic realm=\"Orvel cam\"\r\n");
    });
    std::vector<CredentialsQuestion> asked;
    bool answer = true;
    setCredentialsPrompt([&](const CredentialsQuestion& q) -> std::optional<Credentials> {
        asked.push_back(q);
        if (!answer)
            return std::nullopt;
        return Credentials{"root", "pass"};
    });
    auto session = Session::create();
    auto request = openGet(session, server, "/video", "viewer", "wrong");
    HttpError sent = request->send();
    int rounds = 0;
    while (resolveAfterSend(*request, sent, nullptr) == AfterSend::SendAgain && rounds++ < 3)
        sent = request->send();
    ASSERT_EQ(sent, HttpError::None);
    EXPECT_EQ(request->statusCode(), 200);
    EXPECT_EQ(readAll(*request), "image");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].realm, "Orvel cam");
    EXPECT_EQ(asked[0].scheme, "Basic");
    EXPECT_EQ(asked[0].user, "viewer");

    answer = false;
    auto cancelled = openGet(session, server, "/video");
    sent = cancelled->send();
    EXPECT_EQ(resolveAfterSend(*cancelled, sent, nullptr), AfterSend::Done);
    EXPECT_EQ(cancelled->statusCode(), 401);
}

TEST_F(PromptReset, DigestAuthentication)
{
    TestServer server([](Peer& peer, const RequestHead& head) {
        if (test::digestMatches(head.header("Authorization"), head.method, "root", "pass"))
            peer.respond(200, "image");
        else
            peer.respond(
                401, "denied",
                "WWW-Authenticate: Digest realm=\"cam\", nonce=\"5f2e\", qop=\"auth\"\r\n");
    });
    auto session = Session::create();
    auto good = openGet(session, server, "/mjpg/video.cgi?camera=1", "root", "pass");
    ASSERT_EQ(good->send(), HttpError::None);
    EXPECT_EQ(good->statusCode(), 200);
    EXPECT_EQ(readAll(*good), "image");

    auto bad = openGet(session, server, "/mjpg/video.cgi?camera=1", "root", "nope");
    ASSERT_EQ(bad->send(), HttpError::None);
    EXPECT_EQ(bad->statusCode(), 401);
    EXPECT_EQ(readAll(*bad), "denied");
}

TEST_F(PromptReset, SelfSignedCertificateNeedsTrustThatHoldsForTheProcess)
{
    TestServer server([](Peer& peer, const RequestHead&) { peer.respond(200, "secure image"); },
                      TestServer::Tls::SelfSigned);
    constexpr DWORD secure = kStreamFlags | FlagSecure | FlagIgnoreCertCnInvalid |
                             FlagIgnoreCertDateInvalid; // 0x84C03100
    auto session = Session::create();
    auto open = [&] {
        return session->connect("127.0.0.1", server.port(), {}, {})
            ->openRequest("GET", "/", secure);
    };

    // No GUI and no hook: a clear failure naming the fingerprint.
    auto refused = open();
    HttpError sent = refused->send();
    ASSERT_EQ(sent, HttpError::InvalidCa);
    ASSERT_TRUE(refused->refusedCertificate().has_value());
    EXPECT_EQ(refused->refusedCertificate()->fingerprint, server.fingerprint());
    EXPECT_NE(refused->errorDetail().find(server.fingerprint()), std::string::npos);
    EXPECT_EQ(resolveAfterSend(*refused, sent, nullptr), AfterSend::Done);

    int asked = 0;
    setTrustPrompt([&](const CertificateInfo& info, HWND) {
        ++asked;
        return info.fingerprint == server.fingerprint();
    });
    auto accepted = open();
    sent = accepted->send();
    ASSERT_EQ(resolveAfterSend(*accepted, sent, nullptr), AfterSend::SendAgain);
    ASSERT_EQ(accepted->send(), HttpError::None) << accepted->errorDetail();
    EXPECT_EQ(readAll(*accepted), "secure image");

    auto again = open();
    ASSERT_EQ(again->send(), HttpError::None);
    EXPECT_EQ(readAll(*again), "secure image");
    EXPECT_EQ(asked, 1);

    forgetTrustedCertificates();
    auto insecure = Session::create(
        options([](Session::Options& o) { o.certificates = CertificateCheck::AcceptAny; }));
    auto anyCert =
        insecure->connect("127.0.0.1", server.port(), {}, {})->openRequest("GET", "/", secure);
    ASSERT_EQ(anyCert->send(), HttpError::None);
    EXPECT_EQ(readAll(*anyCert), "secure image");
    EXPECT_EQ(asked, 1);
}

TEST_F(PromptReset, PerServerLimitHoldsBackTheRequestOverIt)
{
    TestServer server([](Peer& peer, const RequestHead&) {
        peer.write("HTTP/1.0 200 OK\r\n\r\nstream");
        while (!peer.stopping() && peer.write(""))
            std::this_thread::sleep_for(20ms);
    });
    setMaxConnectionsPerServer(2);
    auto session = Session::create();
    auto first = openGet(session, server, "/1");
    auto second = openGet(session, server, "/2");
    ASSERT_EQ(first->send(), HttpError::None);
    ASSERT_EQ(second->send(), HttpError::None);
    auto third = openGet(session, server, "/3");
    auto sending = std::async(std::launch::async, [third] { return third->send(); });
    EXPECT_EQ(sending.wait_for(300ms), std::future_status::timeout);
    EXPECT_EQ(server.acceptedConnections(), 2);
    first->close();
    first.reset();
    ASSERT_EQ(sending.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(sending.get(), HttpError::None);
    EXPECT_EQ(server.acceptedConnections(), 3);
}
