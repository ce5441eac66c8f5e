// Starting, sharing addresses, keeping connections, logging requests and stopping with
// clients still connected.

#include "testsupport/CamSimFixture.h"
#include "tools/camsim/tests/TestClient.h"

#include <cerrno>

using namespace camsim;
using namespace camsim::test;

class LifecycleTest : public CamSimFixture {};

TEST_F(LifecycleTest, StopReturnsPromptlyWithClientsConnected)
{
    CamSimConfig c;
    c.fps = 5;
    c.bannerMode = BannerMode::Slow;
    c.bannerDelayMs = 60000;
    c.faults.splitPoints = {SplitPoint::InsideMarker};
    c.faults.splitPauseMs = 60000;
    auto sim = startCameraOnFreeAddress(c);
    ASSERT_TRUE(sim);
    const std::string address = sim->config().address;
    RawClient stream(address, 80); // will sit in a split pause
    RawClient held(address, 80);   // an idle kept-alive connection
    RawClient banner(address, 21); // waiting for a slow greeting
    RawClient silent(address, 80); // connected, never sends
    stream.get(sim->videoPath());
    held.send("GET " + sim->imagePath() + " HTTP/1.1\r\nHost: c\r\n\r\n");
    ASSERT_TRUE(sim->waitForActiveStreams(1, 5s));
    ASSERT_TRUE(sim->waitForRequests(2, 5s));

    auto begin = std::chrono::steady_clock::now();
    sim->stop();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 2s);
    EXPECT_TRUE(stream.readUntilClosed(2s));
    EXPECT_TRUE(banner.readUntilClosed(2s));
    EXPECT_TRUE(silent.readUntilClosed(2s));
    EXPECT_FALSE(RawClient(address, 80).connected());
}

TEST_F(LifecycleTest, AnAddressServesOneCameraAtATime)
{
    CamSim* first = startCamera();
    ASSERT_TRUE(first);
    CamSimConfig c;
    c.address = first->config().address;
    StartError error;
    EXPECT_FALSE(CamSim::start(c, &error));
    EXPECT_EQ(error.code, EADDRINUSE);

    c.model = "NoSuchCam";
    c.address = "127.0.0.1";
    EXPECT_FALSE(CamSim::start(c, &error));
    EXPECT_EQ(error.code, EINVAL);
    c.model = "OS34";
    c.fps = 61;
    EXPECT_FALSE(CamSim::start(c, &error));
    EXPECT_EQ(error.code, EINVAL);
}

TEST_F(LifecycleTest, KeepsAliveAndLogsMethodPathHeadersAndBody)
{
    CamSim* sim = startCamera();
    ASSERT_TRUE(sim);
    RawClient client(sim->config().address, 80);
    client.send("GET " + sim->imagePath() + " HTTP/1.1\r\nHost: cam\r\nX-Test: one\r\n\r\n");
    ASSERT_TRUE(sim->waitForRequests(1, 5s));
    client.send("POST /orvel-cgi/view/param.cgi?action=list&group=root.Brand.ProdShortName "
                "HTTP/1.1\r\nHost: cam\r\nContent-Length: 5\r\nConnection: close\r\n\r\nhello");
    ASSERT_TRUE(client.readUntilClosed());
    EXPECT_EQ(countOf(client.received(), "HTTP/1.1 200 OK\r\n"), 2u);
    EXPECT_NE(client.received().find("root.Brand.ProdShortName=OS34"), std::string::npos);

    auto requests = sim->requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].request.method, "GET");
    EXPECT_EQ(requests[0].request.target, sim->imagePath());
    EXPECT_EQ(requests[0].request.header("x-test"), "one");
    EXPECT_EQ(requests[0].port, 80);
    EXPECT_EQ(requests[1].request.method, "POST");
    EXPECT_EQ(requests[1].request.path, "/orvel-cgi/view/param.cgi");
    EXPECT_EQ(requests[1].request.body, "hello");
}

TEST_F(LifecycleTest, MalformedAndOversizedRequestsAreRefused)
{
    CamSim* sim = startCamera();
    ASSERT_TRUE(sim);
    RawClient garbage(sim->config().address, 80);
    garbage.send("NONSENSE\r\n\r\n");
    ASSERT_TRUE(garbage.readUntilClosed());
    EXPECT_EQ(garbage.received().rfind("HTTP/1.0 400 ", 0), 0u);

    RawClient huge(sim->config().address, 80);
    huge.send("GET / HTTP/1.1\r\nX-Long: " + std::string(70000, 'a') + "\r\n\r\n");
    ASSERT_TRUE(huge.readUntilClosed());
    EXPECT_EQ(huge.received().rfind("HTTP/1.0 431 ", 0), 0u);
}
