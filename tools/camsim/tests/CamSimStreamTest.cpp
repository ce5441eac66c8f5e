// What a stream looks like on the wire: boundary forms, part headers, line ends, part kinds,
// pacing, and a picture that tells inputs, frames, sizes and PTZ moves apart.

#include "testsupport/CamSimFixture.h"
#include "tools/camsim/FrameFactory.h"
#include "tools/camsim/tests/TestClient.h"

using namespace camsim;
using namespace camsim::test;

namespace {

class StreamTest : public CamSimFixture {
protected:
    CamSimConfig config(int fps = 0)
    {
        CamSimConfig c;
        c.model = "OS34";
        c.fps = fps;
        return c;
    }

    // Reads a stream until it holds parts + 1 markers.
    std::string readStream(CamSim& sim, std::size_t parts, const std::string& marker,
                           const std::string& target = {})
    {
        RawClient client(sim.config().address, 80);
        client.get(target.empty() ? sim.videoPath(1, "320x240") : target);
        // Markers start a line; with the leading-dashes form the header holds the text too.
        client.readUntil([&](const std::string& bytes) {
            return countOf(bytes, "\n" + marker + "\r\n") > parts ||
                   countOf(bytes, "\n" + marker + "\n") > parts;
        });
        return client.received();
    }
};

struct BoundaryCase {
    BoundaryForm form;
    const char* contentType;
};

void PrintTo(const BoundaryCase& c, std::ostream* os)
{
    *os << c.contentType;
}

class BoundaryFormTest : public StreamTest, public ::testing::WithParamInterface<BoundaryCase> {};

} // namespace

TEST_P(BoundaryFormTest, WritesTheParameterAsConfiguredAndMarksPartsWithTwoDashes)
{
    CamSimConfig c = config();
    c.stream.boundary = "frame-edge";
    c.stream.boundaryForm = GetParam().form;
    CamSim* sim = startCamera(c);
    ASSERT_TRUE(sim);
    Reply reply;
    ASSERT_TRUE(parseReply(readStream(*sim, 2, "--frame-edge"), reply));
    EXPECT_EQ(reply.header("Content-Type"), GetParam().contentType);
    EXPECT_EQ(reply.body.rfind("--frame-edge\r\nContent-Type: image/jpeg\r\n", 0), 0u);
    EXPECT_GE(splitParts(reply.body, "--frame-edge").size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, BoundaryFormTest,
    ::testing::Values(
        BoundaryCase{BoundaryForm::Plain, "multipart/x-mixed-replace; boundary=frame-edge"},
        BoundaryCase{BoundaryForm::LeadingDashes,
                     "multipart/x-mixed-replace; boundary=--frame-edge"},
        BoundaryCase{BoundaryForm::Quoted, "multipart/x-mixed-replace; boundary=\"frame-edge\""},
        BoundaryCase{BoundaryForm::BlanksAroundEquals,
                     "multipart/x-mixed-replace; boundary = frame-edge"}));

TEST_F(StreamTest, PartsCarryLengthAndExtraHeadersOrNoLengthWithBareLineFeeds)
{
    CamSimConfig c = config();
    c.stream.contentTypeParams = {"charset=binary"};
    c.stream.extraPartHeaders = {"X-Frame-Info: simulated"};
    c.stream.extraResponseHeaders = {"X-Camera: yes"};
    CamSim* sim = startCamera(c);
    ASSERT_TRUE(sim);
    Reply reply;
    ASSERT_TRUE(parseReply(readStream(*sim, 2, "--myboundary"), reply));
    EXPECT_EQ(reply.header("Content-Type"),
              "multipart/x-mixed-replace; charset=binary; boundary=myboundary");
    EXPECT_EQ(reply.header("X-Camera"), "yes");
    auto parts = splitParts(reply.body, "--myboundary");
    ASSERT_GE(parts.size(), 2u);
    EXPECT_EQ(parts[0].header("Content-Length"), std::to_string(parts[0].body.size()));
    EXPECT_EQ(parts[0].header("X-Frame-Info"), "simulated");

    CamSimConfig lf = config();
    lf.stream.lineEnd = LineEnd::Lf;
    lf.stream.partContentLength = false;
    CamSim* bare = startCamera(lf);
    ASSERT_TRUE(bare);
    ASSERT_TRUE(parseReply(readStream(*bare, 2, "--myboundary"), reply));
    EXPECT_EQ(reply.body.rfind("--myboundary\nContent-Type: image/jpeg\n\n\xFF\xD8", 0), 0u);
    EXPECT_EQ(countOf(reply.body, "\r\n--myboundary"), 0u);
    parts = splitParts(reply.body, "--myboundary");
    ASSERT_GE(parts.size(), 2u);
    EXPECT_TRUE(parts[1].header("Content-Length").empty());
    EXPECT_TRUE(decodeJpeg(parts[1].body).valid());
}

TEST_F(StreamTest, MixesTextHtmlAndAudioPartsInTheConfiguredOrder)
{
    CamSimConfig c = config();
    c.stream.partCycle = {PartKind::Jpeg, PartKind::Text, PartKind::Html, PartKind::Audio};
    CamSim* sim = startCamera(c);
    ASSERT_TRUE(sim);
    Reply reply;
    ASSERT_TRUE(parseReply(readStream(*sim, 5, "--myboundary"), reply));
    auto parts = splitParts(reply.body, "--myboundary");
    ASSERT_GE(parts.size(), 5u);
    EXPECT_EQ(parts[0].header("Content-Type"), "image/jpeg");
    EXPECT_EQ(parts[1].header("Content-Type"), "text/plain");
    EXPECT_EQ(parts[1].body, "camera=1 frame=1\r\n");
    EXPECT_EQ(parts[2].header("Content-Type"), "text/html");
    EXPECT_NE(parts[2].body.find("<html>"), std::string::npos);
    EXPECT_EQ(parts[3].header("Content-Type"), "audio/G723");
    EXPECT_EQ(parts[4].header("Content-Type"), "image/jpeg");
}

TEST_F(StreamTest, PacesFramesAtTheConfiguredRate)
{
    CamSim* sim = startCamera(config(10));
    ASSERT_TRUE(sim);
    auto start = std::chrono::steady_clock::now();
    std::string bytes = readStream(*sim, 10, "--myboundary");
    auto elapsed = std::chrono::steady_clock::now() - start;
    // Eleven markers at 10 frames/s: the last one is due 1 s after the first.
    EXPECT_GE(elapsed, 900ms);
    EXPECT_LT(elapsed, 5s);
    Reply reply;
    ASSERT_TRUE(parseReply(bytes, reply));
    auto parts = splitParts(reply.body, "--myboundary");
    ASSERT_GE(parts.size(), 10u);
    EXPECT_NE(jpegComment(parts[9].body).find(" frame=9 "), std::string::npos);
}

TEST_F(StreamTest, SameConfigurationAndSeedGiveTheSameBytes)
{
    CamSimConfig c = config(30);
    c.frameMode = FrameMode::Live;
    c.clockStartMs = 1700000000000;
    c.seed = 7;
    CamSim* first = startCamera(c);
    CamSim* second = startCamera(c);
    c.seed = 8;
    CamSim* other = startCamera(c);
    ASSERT_TRUE(first && second && other);
    std::string a = readStream(*first, 3, "--myboundary");
    std::string b = readStream(*second, 3, "--myboundary");
    std::string d = readStream(*other, 3, "--myboundary");
    Reply ra, rb, rd;
    ASSERT_TRUE(parseReply(a, ra) && parseReply(b, rb) && parseReply(d, rd));
    auto pa = splitParts(ra.body, "--myboundary");
    auto pb = splitParts(rb.body, "--myboundary");
    auto pd = splitParts(rd.body, "--myboundary");
    ASSERT_EQ(pa.size(), 3u);
    ASSERT_EQ(pb.size(), 3u);
    ASSERT_EQ(pd.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(pa[i].body, pb[i].body) << "part " << i;
        EXPECT_NE(pa[i].body, pd[i].body) << "part " << i;
    }
    EXPECT_NE(pa[0].body, pa[1].body); // the picture moves
    EXPECT_NE(jpegComment(pa[1].body).find("time=1700000000033"), std::string::npos);
}

TEST_F(StreamTest, ThePictureShowsInputSizeAndTheBallMoves)
{
    CamSim* sim = startCamera(config());
    ASSERT_TRUE(sim);
    for (int camera = 1; camera <= 4; ++camera) {
        Reply reply = fetch(sim->config().address, 80, sim->imagePath(camera, "704x576"));
        Picture picture = decodeJpeg(reply.body);
        ASSERT_EQ(picture.width, 704);
        ASSERT_EQ(picture.height, 576);
        Rgb expected = inputColour(camera);
        EXPECT_NEAR(picture.at(1, 1, 0), expected.r, 24) << "camera " << camera;
        EXPECT_NEAR(picture.at(1, 1, 1), expected.g, 24) << "camera " << camera;
        EXPECT_NEAR(picture.at(1, 1, 2), expected.b, 24) << "camera " << camera;
    }
    // Unthrottled streams come from the pre-encoded loop: frames still differ.
    Reply reply;
    ASSERT_TRUE(parseReply(readStream(*sim, 2, "--myboundary"), reply));
    auto parts = splitParts(reply.body, "--myboundary");
    ASSERT_GE(parts.size(), 2u);
    EXPECT_NE(parts[0].body, parts[1].body);
    EXPECT_NE(jpegComment(parts[1].body).find(" frame=1 "), std::string::npos);
}

TEST_F(StreamTest, PtzCommandsPanAndZoomThePicture)
{
    CamSim* sim = startCamera(config());
    ASSERT_TRUE(sim);
    const std::string& address = sim->config().address;
    auto picture = [&] {
        return fetch(address, 80, sim->imagePath(2, "352x288")).body;
    };
    std::string home = picture();

    fetch(address, 80, "/orvel-cgi/com/ptz.cgi?speed=75&camera=2&rzoom=9999");
    EXPECT_EQ(sim->viewport(2).zoom, kMaxZoom);
    std::string zoomed = picture();

    fetch(address, 80,
          "/orvel-cgi/com/ptz.cgi?speed=75&camera=2&imagewidth=352&imageheight=288&center=?300,"
          "240");
    Viewport moved = sim->viewport(2);
    EXPECT_GT(moved.centerX, 0.5);
    EXPECT_GT(moved.centerY, 0.5);
    EXPECT_EQ(sim->viewport(1), Viewport{}); // other inputs keep their view
    std::string panned = picture();

    fetch(address, 80, "/orvel-cgi/com/ptz.cgi?speed=75&camera=2&move=home");
    EXPECT_EQ(sim->viewport(2), Viewport{});
    ASSERT_EQ(sim->ptzCommands().size(), 3u);

    // The scene itself differs; compare away from the facts box and the ball.
    auto scene = [](const std::string& jpeg) {
        Picture p = decodeJpeg(jpeg);
        std::vector<int> row;
        for (int x = 100; x < 352; x += 4)
            row.push_back(p.at(x, 120, 0) + p.at(x, 120, 1) + p.at(x, 120, 2));
        return row;
    };
    EXPECT_NE(scene(home), scene(zoomed));
    EXPECT_NE(scene(zoomed), scene(panned));
    EXPECT_EQ(scene(home), scene(picture()));
}
