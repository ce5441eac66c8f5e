// Every URL form of the six generations, as the client's targets write them, answered by a
// camera of that generation; and the forms a camera must not answer.

#include "testsupport/CamSimFixture.h"
#include "tools/camsim/FrameFactory.h"
#include "tools/camsim/tests/TestClient.h"

using namespace camsim;
using namespace camsim::test;

namespace {

struct MediaCase {
    const char* model;
    const char* firmware;
    const char* target;
    bool stream;
    int camera;
    int width;
    int height;
};

void PrintTo(const MediaCase& c, std::ostream* os)
{
    *os << c.model << " " << c.firmware << " " << c.target;
}

class UrlFormTest : public CamSimFixture, public ::testing::WithParamInterface<MediaCase> {};

// The first JPEG of a stream, or the body of a single image answer.
std::string firstJpeg(CamSim& sim, const std::string& target, bool stream, std::string& type)
{
    RawClient client(sim.config().address, 80);
    if (!client.get(target))
        return {};
    if (!stream) {
        Reply reply;
        client.readUntilClosed();
        parseReply(client.received(), reply);
        type = reply.header("Content-Type");
        return reply.status == 200 ? reply.body : std::string{};
    }
    client.readUntil([](const std::string& bytes) { return countOf(bytes, "--myboundary") >= 2; });
    Reply reply;
    parseReply(client.received(), reply);
    type = reply.header("Content-Type");
    auto parts = splitParts(reply.body, "--myboundary");
    return parts.empty() ? std::string{} : parts.front().body;
}

} // namespace

TEST_P(UrlFormTest, ServesThePictureTheUrlNames)
{
    const MediaCase& c = GetParam();
    CamSimConfig config;
    config.model = c.model;
    config.firmware = c.firmware;
    config.fps = 30;
    CamSim* sim = startCamera(config);
    ASSERT_TRUE(sim);

    std::string type;
    std::string jpeg = firstJpeg(*sim, c.target, c.stream, type);
    EXPECT_EQ(type, c.stream ? "multipart/x-mixed-replace; boundary=myboundary" : "image/jpeg");
    Picture picture = decodeJpeg(jpeg);
    ASSERT_TRUE(picture.valid());
    EXPECT_EQ(picture.width, c.width);
    EXPECT_EQ(picture.height, c.height);
    EXPECT_NE(jpegComment(jpeg).find("camera=" + std::to_string(c.camera) + " "), std::string::npos)
        << jpegComment(jpeg);
}

INSTANTIATE_TEST_SUITE_P(
    Generations, UrlFormTest,
    ::testing::Values(
        // CamTarget100: server push; the four-input model takes a camera
        MediaCase{"OS10", "1.20", "/cgi-bin/halfsize.srvpushs?camera=3", true, 3, 320, 240},
        MediaCase{"OS10", "1.20", "/cgi-bin/fullsize.srvpushb", true, 1, 640, 480},
        MediaCase{"OS10", "1.20", "/cgi-bin/hugesize.jpg?camera=2", false, 2, 1280, 960},
        MediaCase{"OC11", "1.00", "/cgi-bin/fullsize.jpg", false, 1, 640, 480},
        // CamTarget110: one form for both; motion=0 is a single picture
        MediaCase{"OS10", "1.30", "/cgi-bin/fullsize.jpg?camera=4&motion=0", false, 4, 640, 480},
        MediaCase{"OC11", "1.50", "/cgi-bin/halfsize.jpg?camera=1&motion=1", true, 1, 320, 240},
        // CamTarget200
        MediaCase{"OC20", "2.01", "/cgi-bin/video640x480.mjpg", true, 1, 640, 480},
        MediaCase{"OC20", "2.01", "/cgi-bin/image320x240.jpg", false, 1, 320, 240},
        MediaCase{"OC30", "2.30", "/cgi-bin/video320x240.mjpg", true, 1, 320, 240},
        // CamTarget201; an empty camera means the first
        MediaCase{"OS21", "2.20", "/cgi-bin/mjpg/video.cgi?resolution=704x576&camera=1", true, 1,
                  704, 576},
        MediaCase{"OS21", "2.20", "/cgi-bin/jpg/image.cgi?resolution=352x240&camera=", false, 1,
                  352, 240},
        // CamTarget210 and CamTarget211
        MediaCase{"OS34", "3.10", "/orvel-cgi/mjpg/video.cgi?resolution=352x288&camera=2", true, 2,
                  352, 288},
        MediaCase{"OS34", "3.10", "/orvel-cgi/jpg/image.cgi?resolution=704x576&camera=4", false, 4,
                  704, 576},
        MediaCase{"OD41", "3.00", "/orvel-cgi/mjpg/video.cgi?resolution=halfsize&camera=1", true, 1,
                  176, 112},
        MediaCase{"OS44", "3.20", "/orvel-cgi/mjpg/video.cgi?resolution=4CIF&camera=3", true, 3,
                  704, 576},
        MediaCase{"OD45", "4.10", "/orvel-cgi/jpg/image.cgi?resolution=704x480&camera=1", false, 1,
                  704, 480},
        MediaCase{"OC30", "3.00", "/orvel-cgi/jpg/image.cgi?resolution=&camera=1", false, 1, 320,
                  240},
        MediaCase{"OC32", "3.00", "/orvel-cgi/jpg/image.cgi?resolution=1920x1080&camera=1", false,
                  1, 1920, 1080},
        MediaCase{"OC32", "3.00", "/orvel-cgi/jpg/image.cgi?resolution=160x120&camera=1", false, 1,
                  160, 120}));

namespace {

struct RefusedCase {
    const char* model;
    const char* target;
    int status;
};

void PrintTo(const RefusedCase& c, std::ostream* os)
{
    *os << c.model << " " << c.target;
}

class RefusedUrlTest : public CamSimFixture, public ::testing::WithParamInterface<RefusedCase> {};

} // namespace

TEST_P(RefusedUrlTest, AnswersWithAnError)
{
    CamSimConfig config;
    config.model = GetParam().model;
    CamSim* sim = startCamera(config);
    ASSERT_TRUE(sim);
    Reply reply = fetch(sim->config().address, 80, GetParam().target);
    EXPECT_EQ(reply.status, GetParam().status);
    ASSERT_TRUE(sim->waitForRequests(1, 2s));
    EXPECT_EQ(sim->requests()[0].status, GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedUrlTest,
    ::testing::Values(
        // another generation's forms
        RefusedCase{"OS34", "/cgi-bin/fullsize.srvpushb", 404},
        RefusedCase{"OC20", "/orvel-cgi/mjpg/video.cgi?resolution=320x240&camera=1", 404},
        RefusedCase{"OS21", "/cgi-bin/video320x240.mjpg", 404},
        // no PTZ, no parameter list on the older generations
        RefusedCase{"OC32", "/orvel-cgi/com/ptz.cgi?speed=75&camera=1&move=home", 404},
        RefusedCase{"OS21", "/orvel-cgi/view/param.cgi?action=list&group=", 404},
        // inputs and sizes the camera does not have
        RefusedCase{"OS34", "/orvel-cgi/jpg/image.cgi?resolution=352x288&camera=5", 400},
        RefusedCase{"OC32", "/orvel-cgi/jpg/image.cgi?resolution=352x288&camera=2", 400},
        RefusedCase{"OC32", "/orvel-cgi/jpg/image.cgi?resolution=huge&camera=1", 400},
        RefusedCase{"OC32", "/orvel-cgi/jpg/image.cgi?resolution=3840x2160&camera=1", 400}));

namespace {

struct PtzCase {
    const char* model;
    const char* firmware;
    const char* target;
    PtzCommand::Kind kind;
    int camera;
    int imageWidth, imageHeight, x, y; // Center
    bool relative;
    int zoom;
};

void PrintTo(const PtzCase& c, std::ostream* os)
{
    *os << c.model << " " << c.target;
}

class PtzUrlTest : public CamSimFixture, public ::testing::WithParamInterface<PtzCase> {};

} // namespace

TEST_P(PtzUrlTest, RecordsTheCommand)
{
    const PtzCase& c = GetParam();
    CamSimConfig config;
    config.model = c.model;
    config.firmware = c.firmware;
    CamSim* sim = startCamera(config);
    ASSERT_TRUE(sim);
    Reply reply = fetch(sim->config().address, 80, c.target);
    EXPECT_TRUE(reply.status == 200 || reply.status == 204) << reply.statusLine;

    ASSERT_TRUE(sim->waitForPtzCommands(1, 2s));
    PtzCommand command = sim->ptzCommands().at(0);
    EXPECT_EQ(command.kind, c.kind);
    EXPECT_EQ(command.camera, c.camera);
    EXPECT_EQ(command.target, c.target);
    if (c.kind == PtzCommand::Kind::Center) {
        EXPECT_EQ(command.imageWidth, c.imageWidth);
        EXPECT_EQ(command.imageHeight, c.imageHeight);
        EXPECT_EQ(command.x, c.x);
        EXPECT_EQ(command.y, c.y);
    }
    if (c.kind == PtzCommand::Kind::Zoom) {
        EXPECT_EQ(command.relative, c.relative);
        EXPECT_EQ(command.zoom, c.zoom);
    }
}

using enum PtzCommand::Kind;
INSTANTIATE_TEST_SUITE_P(
    Generations, PtzUrlTest,
    ::testing::Values(
        // CamTarget100 (the four-input model); the centre click carries no picture size
        PtzCase{"OS10", "1.20", "/video.html?dummy=yes&camsecid=0&camera=2&extrem=?10,20", Center,
                2, 640, 480, 10, 20, false, 0},
        PtzCase{"OS10", "1.20", "/cgi-bin/control?camera=3&zoom=1&pan=0&tilt=0", Home, 3, 0, 0, 0,
                0, false, 0},
        PtzCase{"OS10", "1.20", "/cgi-bin/control?camera=1&zoom=999", Zoom, 1, 0, 0, 0, 0, false,
                9999},
        PtzCase{"OS10", "1.20", "/cgi-bin/control?camera=1&zoom=1", Zoom, 1, 0, 0, 0, 0, false, 1},
        // CamTarget110
        PtzCase{"OS10", "1.30",
                "/cgi-bin/control?speed=777&camera=4&imagewidth=352&imageheight=288&extrem=?10,20",
                Center, 4, 352, 288, 10, 20, false, 0},
        PtzCase{"OC11", "1.50", "/cgi-bin/control?speed=777&camera=1&zoom=1&pan=0&tilt=0", Home, 1,
                0, 0, 0, 0, false, 0},
        PtzCase{"OC11", "1.50", "/cgi-bin/control?speed=777&camera=1&zoomrel=tele", Zoom, 1, 0, 0,
                0, 0, true, 500},
        PtzCase{"OC11", "1.50", "/cgi-bin/control?speed=777&camera=1&zoomrel=wide", Zoom, 1, 0, 0,
                0, 0, true, -500},
        // CamTarget210 and CamTarget211
        PtzCase{"OS34", "3.10",
                "/orvel-cgi/com/ptz.cgi?speed=75&camera=2&imagewidth=704&imageheight=576&center=?"
                "100,50",
                Center, 2, 704, 576, 100, 50, false, 0},
        PtzCase{"OS34", "3.10", "/orvel-cgi/com/ptz.cgi?speed=75&camera=1&move=home", Home, 1, 0, 0,
                0, 0, false, 0},
        PtzCase{"OD45", "4.10", "/orvel-cgi/com/ptz.cgi?speed=75&camera=1&rzoom=-9999", Zoom, 1, 0,
                0, 0, 0, true, -9999},
        PtzCase{"OD41", "3.20", "/orvel-cgi/com/ptz.cgi?speed=75&camera=1&rzoom=500", Zoom, 1, 0, 0,
                0, 0, true, 500}));

class ParamListTest : public CamSimFixture {};

TEST_F(ParamListTest, AnswersTheGroupsAskedForInOrder)
{
    CamSimConfig config;
    config.model = "OS34";
    CamSim* sim = startCamera(config);
    ASSERT_TRUE(sim);
    Reply reply =
        fetch(sim->config().address, 80,
              "/orvel-cgi/view/param.cgi?action=list&group=root.Properties.Image.Resolution,"
              "root.ImageSource.NbrOfSources,root.Properties.PTZ.PTZ,root.Brand.ProdShortName,"
              "root.Properties.Firmware.Version");
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.header("Content-Type"), "text/plain");
    EXPECT_EQ(reply.body, "root.Properties.Image.Resolution=176x144,352x288,704x576,176x112,"
                          "352x240,704x480\r\n"
                          "root.ImageSource.NbrOfSources=4\r\n"
                          "root.Properties.PTZ.PTZ=yes\r\n"
                          "root.Brand.ProdShortName=OS34\r\n"
                          "root.Properties.Firmware.Version=3.10\r\n");
}

TEST_F(ParamListTest, ListsAGroupByPrefixAndFlagsUnknownNames)
{
    CamSimConfig config;
    config.model = "OC32";
    config.firmware = "2.40";
    CamSim* sim = startCamera(config);
    ASSERT_TRUE(sim);
    Reply reply = fetch(sim->config().address, 80,
                        "/orvel-cgi/view/param.cgi?action=list&group=root.Brand,root.Nothing");
    EXPECT_EQ(reply.body, "root.Brand.Brand=ORVEL\r\nroot.Brand.ProdShortName=OC32\r\n"
                          "root.Brand.ProdNbr=OC32\r\n"
                          "# Error: Error -1 getting param in group 'root.Nothing'\r\n");
    reply = fetch(sim->config().address, 80, "/orvel-cgi/view/param.cgi?action=list&group=");
    EXPECT_NE(reply.body.find("root.Properties.PTZ.PTZ=no\r\n"), std::string::npos);
    EXPECT_NE(reply.body.find("root.Properties.Firmware.Version=2.40\r\n"), std::string::npos);
}

TEST_F(ParamListTest, ConfiguredValuesReplaceAddAndLeaveOut)
{
    CamSimConfig config;
    config.model = "OC33";
    config.paramList.values = {{"root.Properties.PTZ.PTZ", "Yes"}, {"root.Test.Extra", "1=2"}};
    config.paramList.omitted = {"root.ImageSource.NbrOfSources", "root.Test.Extra"};
    config.paramList.values.emplace_back("root.Test.Kept", "k");
    CamSim* sim = startCamera(config);
    ASSERT_TRUE(sim);
    Reply reply = fetch(sim->config().address, 80,
                        "/orvel-cgi/view/param.cgi?action=list&group=root.ImageSource,"
                        "root.Properties.PTZ,root.Test");
    EXPECT_EQ(reply.body, "# Error: Error -1 getting param in group 'root.ImageSource'\r\n"
                          "root.Properties.PTZ.PTZ=Yes\r\n"
                          "root.Test.Kept=k\r\n");
}
