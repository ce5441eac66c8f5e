// Each fault the simulator plays, seen from a plain socket.

#include "testsupport/CamSimFixture.h"
#include "tools/camsim/tests/TestClient.h"

#include <cerrno>
#include <functional>
#include <memory>

using namespace camsim;
using namespace camsim::test;

namespace {

class FaultTest : public CamSimFixture {
protected:
    CamSim* start(const Faults& faults, int fps = 0)
    {
        CamSimConfig c;
        c.model = "OS34";
        c.fps = fps;
        c.faults = faults;
        return startCamera(c);
    }
    std::string video(CamSim& sim) { return sim.videoPath(1, "320x240"); }

    struct Stream {
        CamSim* sim = nullptr;
        std::unique_ptr<RawClient> client; // null when the camera did not start
    };
    // A camera with the faults, asked for its stream over a plain socket.
    Stream stream(const Faults& faults)
    {
        Stream s;
        s.sim = start(faults);
        if (s.sim) {
            s.client = std::make_unique<RawClient>(s.sim->config().address, 80);
            s.client->get(video(*s.sim));
        }
        return s;
    }
};

constexpr const char* kMarker = "--myboundary\r\n";

// Done once the reply holds at least n part markers.
std::function<bool(const std::string&)> markers(std::size_t n)
{
    return [n](const std::string& bytes) {
        return countOf(bytes, kMarker) >= n;
    };
}

Reply replyOf(const std::string& bytes)
{
    Reply reply;
    parseReply(bytes, reply);
    return reply;
}

} // namespace

TEST_F(FaultTest, StopsSendingAfterNPartsAndHoldsTheConnection)
{
    Faults faults;
    faults.stopAfterParts = 3;
    auto [sim, client] = stream(faults);
    ASSERT_TRUE(client);
    ASSERT_TRUE(client->readUntil(markers(4)));
    EXPECT_TRUE(client->staysQuiet(500ms));
    EXPECT_EQ(countOf(client->received(), kMarker), 4u);
    EXPECT_EQ(splitParts(replyOf(client->received()).body, "--myboundary").size(), 3u);
    EXPECT_EQ(sim->activeStreams(), 1);
}

TEST_F(FaultTest, ClosesAfterNParts)
{
    Faults faults;
    faults.closeAfterParts = 2;
    auto [sim, client] = stream(faults);
    ASSERT_TRUE(client);
    ASSERT_TRUE(client->readUntilClosed());
    EXPECT_EQ(client->readError(), 0);
    EXPECT_EQ(countOf(client->received(), kMarker), 3u);
    EXPECT_TRUE(sim->waitForActiveStreams(0, 2s));
}

TEST_F(FaultTest, ResetsAfterNPartsOrInsteadOfAnswering)
{
    Faults faults;
    faults.resetAfterParts = 2;
    auto [sim, client] = stream(faults);
    ASSERT_TRUE(client);
    ASSERT_TRUE(client->readUntilClosed());
    EXPECT_EQ(client->readError(), ECONNRESET);

    faults.resetAfterParts = 0;
    CamSim* early = start(faults);
    ASSERT_TRUE(early);
    RawClient second(early->config().address, 80);
    second.get(early->imagePath());
    ASSERT_TRUE(second.readUntilClosed());
    EXPECT_EQ(second.readError(), ECONNRESET);
    EXPECT_TRUE(second.received().empty());
    ASSERT_TRUE(early->waitForRequests(1, 2s));
    EXPECT_EQ(early->requests()[0].status, 0);
}

TEST_F(FaultTest, SplitsTheResponseAtGivenOffsetsAndInsideEveryPart)
{
    Faults faults;
    faults.splitOffsets = {5, 40};
    faults.splitPoints = {SplitPoint::InsideMarker, SplitPoint::InsideHeaderLine,
                          SplitPoint::BetweenCrLf};
    faults.splitPauseMs = 150;
    auto [sim, client] = stream(faults);
    ASSERT_TRUE(client);
    ASSERT_TRUE(client->readUntil(markers(2), 10s));
    const std::string& bytes = client->received();
    const auto& ends = client->chunkEnds();
    auto cutAt = [&ends](std::size_t offset) {
        return std::find(ends.begin(), ends.end(), offset) != ends.end();
    };
    EXPECT_TRUE(cutAt(5));
    EXPECT_TRUE(cutAt(40));
    std::size_t marker = bytes.find(kMarker);
    ASSERT_NE(marker, std::string::npos);
    EXPECT_TRUE(cutAt(marker + 6));      // "--mybo" | "undary"
    EXPECT_TRUE(cutAt(marker + 14 + 8)); // "Content-" | "Type"
    std::size_t headerEnd = bytes.find("\r\n\r\n", marker);
    EXPECT_TRUE(cutAt(headerEnd + 3)); // CR | LF
    EXPECT_TRUE(decodeJpeg(splitParts(replyOf(bytes).body, "--myboundary").at(0).body).valid());
}

TEST_F(FaultTest, TrickyJpegDataHoldsZerosAndNearMarkersYetDecodes)
{
    Faults faults;
    faults.trickyJpegData = true;
    auto [sim, client] = stream(faults);
    ASSERT_TRUE(client);
    ASSERT_TRUE(client->readUntil(markers(2)));
    auto parts = splitParts(replyOf(client->received()).body, "--myboundary");
    ASSERT_GE(parts.size(), 1u);
    EXPECT_EQ(countOf(client->received(), kMarker), parts.size() + 1);
    const std::string& jpeg = parts[0].body;
    EXPECT_EQ(parts[0].header("Content-Length"), std::to_string(jpeg.size()));
    EXPECT_NE(jpeg.find(std::string("\r\n--myboundar\0", 14)), std::string::npos);
    EXPECT_NE(jpeg.find("\r\n--\r\n"), std::string::npos);
    EXPECT_NE(jpeg.find(std::string("\0\0", 2)), std::string::npos);
    EXPECT_TRUE(decodeJpeg(jpeg).valid());
}

TEST_F(FaultTest, HugeHeaderLinesInTheResponseAndEveryPart)
{
    Faults faults;
    faults.hugeHeaderBytes = 100000;
    auto [sim, client] = stream(faults);
    ASSERT_TRUE(client);
    ASSERT_TRUE(client->readUntil(markers(2)));
    Reply reply = replyOf(client->received());
    EXPECT_EQ(reply.header("X-Padding").size(), 100000u);
    auto parts = splitParts(reply.body, "--myboundary");
    ASSERT_GE(parts.size(), 1u);
    EXPECT_EQ(parts[0].header("X-Padding").size(), 100000u);
    EXPECT_TRUE(decodeJpeg(parts[0].body).valid());
}

TEST_F(FaultTest, ForcedStatusAnswersEveryRequest)
{
    for (int status : {401, 404, 503}) {
        Faults faults;
        faults.forceStatus = status;
        CamSim* sim = start(faults);
        ASSERT_TRUE(sim);
        Reply reply = fetch(sim->config().address, 80, video(*sim));
        EXPECT_EQ(reply.status, status);
        EXPECT_EQ(reply.header("WWW-Authenticate").empty(), status != 401) << status;
        reply = fetch(sim->config().address, 80, "/orvel-cgi/view/param.cgi?action=list");
        EXPECT_EQ(reply.status, status);
    }
}

TEST_F(FaultTest, SlowHeadersArriveLineByLine)
{
    Faults faults;
    faults.slowHeaderDelayMs = 100;
    CamSim* sim = start(faults);
    ASSERT_TRUE(sim);
    RawClient client(sim->config().address, 80);
    auto start = std::chrono::steady_clock::now();
    client.get(sim->imagePath());
    ASSERT_TRUE(client.readUntilClosed());
    // Five header lines and the empty line, 100 ms apart.
    EXPECT_GE(std::chrono::steady_clock::now() - start, 550ms);
    EXPECT_GE(client.chunkEnds().size(), 6u);
    Reply reply;
    ASSERT_TRUE(parseReply(client.received(), reply));
    EXPECT_EQ(reply.status, 200);
    EXPECT_TRUE(decodeJpeg(reply.body).valid());
}

TEST_F(FaultTest, StalledAnswersStopAfterTheirBytesAndKeepTheConnection)
{
    Faults faults;
    faults.stallAfterBytes = 0;
    CamSim* silent = start(faults);
    ASSERT_TRUE(silent);
    RawClient quiet(silent->config().address, 80);
    quiet.get("/orvel-cgi/view/param.cgi?action=list&group=");
    ASSERT_TRUE(silent->waitForRequests(1, 5s));
    EXPECT_TRUE(quiet.staysQuiet(300ms));
    EXPECT_TRUE(quiet.received().empty());

    faults.stallAfterBytes = 20;
    CamSim* cut = start(faults);
    ASSERT_TRUE(cut);
    RawClient partial(cut->config().address, 80);
    partial.get("/orvel-cgi/view/param.cgi?action=list&group=");
    ASSERT_TRUE(partial.readUntil([](const std::string& bytes) { return bytes.size() >= 20; }));
    EXPECT_TRUE(partial.staysQuiet(300ms));
    EXPECT_EQ(partial.received(), "HTTP/1.0 200 OK\r\nSer");
}
