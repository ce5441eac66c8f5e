// camctl stream, snapshot, get and post run as a script runs them: against simulated cameras,
// against ffmpeg's own MJPEG server, and with the registered client library in a fresh state
// root (the child inherits ORVEL_STATE_ROOT).
#include "platform/com/ClassRegistration.h"
#include "testsupport/WaitUntil.h"
#include "tools/camctl/tests/CamctlProgram.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace camctltest;

namespace {

// Lines "part N type=0x5501 size=BYTES content-type=image/jpeg" with N counting from 1.
std::size_t jpegParts(const std::string& out)
{
    std::istringstream lines(out);
    std::string line;
    std::size_t count = 0;
    while (std::getline(lines, line)) {
        unsigned long n = 0, size = 0;
        char type[64] = {};
        if (std::sscanf(line.c_str(), "part %lu type=0x5501 size=%lu content-type=%63s", &n, &size,
                        type) == 3 &&
            n == count + 1 && size > 0 && std::string(type) == "image/jpeg")
            ++count;
    }
    return count;
}

class CamctlStream : public CamctlFixture {};

} // namespace

TEST_F(CamctlStream, PrintsOneLinePerPartAndStatusThenExitsAtTheCount)
{
    camsim::CamSimConfig config;
    config.fps = 25;
    camsim::CamSim* camera = startCamera(config);
    ASSERT_TRUE(camera);
    const Child::Result run = camctl({"stream", camera->url(camera->videoPath()), "--frames", "4"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(jpegParts(run.out), 4u) << run.out;
    EXPECT_NE(run.out.find("part 4 type=0x5501"), std::string::npos);
    EXPECT_NE(run.out.find("status 21 Connected\n"), std::string::npos) << run.out;
}

TEST_F(CamctlStream, StreamEndingTooEarlyIsAFailureInPlainWords)
{
    camsim::CamSimConfig config;
    config.fps = 0;
    config.faults.closeAfterParts = 2;
    camsim::CamSim* camera = startCamera(config);
    ASSERT_TRUE(camera);
    const Child::Result run = camctl({"stream", camera->url(camera->videoPath()), "--frames", "5"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(jpegParts(run.out), 2u);
    // 51 comes from the reading thread as the camera closes, the end last of all.
    EXPECT_NE(run.out.find("status 51 Closed\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.substr(run.out.size() - 15), "status 21811 -\n") << run.out;
    EXPECT_NE(run.err.find("ended after 2 of 5 parts"), std::string::npos) << run.err;

    EXPECT_EQ(camctl({"stream"}).exitCode, 2);
    EXPECT_EQ(camctl({"stream", "http://x/", "--frames", "many"}).exitCode, 2);
}

TEST_F(CamctlStream, SecondsLimitWithPasswordAndSnapshot)
{
    camsim::CamSimConfig config;
    config.fps = 10;
    config.auth = camsim::AuthMode::Digest;
    config.user = "root";
    config.password = "pass";
    camsim::CamSim* camera = startCamera(config);
    ASSERT_TRUE(camera);
    const std::string url = camera->url(camera->videoPath());
    Child::Result run =
        camctl({"stream", url, "--seconds", "3", "--user", "root", "--password", "pass"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_GE(jpegParts(run.out), 10u);
    EXPECT_NE(run.out.find("status 21810 "), std::string::npos) << "no frame rate";

    run = camctl({"stream", url, "--frames", "1"});
    EXPECT_EQ(run.exitCode, 1); // the 401 page is a part, but no answer to the request
    EXPECT_EQ(jpegParts(run.out), 0u);
    EXPECT_NE(run.err.find("user name and password"), std::string::npos) << run.err;

    const std::string file = m_root.path() + "/snap.jpg";
    run = camctl({"snapshot", url, file, "--user", "root", "--password", "pass"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const std::string jpeg = bytes.str();
    ASSERT_GT(jpeg.size(), 100u);
    EXPECT_EQ(jpeg.substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(jpeg.substr(jpeg.size() - 2), "\xFF\xD9");
}

TEST_F(CamctlStream, GetAndPostPrintTheReplyBody)
{
    camsim::CamSimConfig config;
    camsim::CamSim* camera = startCamera(config);
    ASSERT_TRUE(camera);
    const std::string url =
        camera->url("/orvel-cgi/view/param.cgi?action=list&group=root.Brand.ProdShortName");
    Child::Result run = camctl({"get", url});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("root.Brand.ProdShortName=", 0), 0u) << run.out;

    const std::string body = m_root.path() + "/body.txt";
    std::ofstream(body) << "root.Image.Text=on";
    run = camctl({"post", url, body});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(run.out.empty());
    EXPECT_EQ(camctl({"post", url, m_root.path() + "/missing"}).exitCode, 1);
}

// camctl runs the client library the registry names; when that is not the one built beside it,
// it says which it uses, so a fresh build does not quietly run an older library.
TEST_F(CamctlStream, NamesTheRegisteredLibraryWhenItIsNotTheOneBesideIt)
{
    camsim::CamSimConfig config;
    camsim::CamSim* camera = startCamera(config);
    ASSERT_TRUE(camera);
    const std::string url = camera->url("/orvel-cgi/jpg/image.cgi?resolution=160x120&camera=1");
    Child::Result run = camctl({"get", url});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err.find("note:"), std::string::npos) << run.err;

    const std::string elsewhere = m_root.path() + "/elsewhere";
    std::filesystem::create_directories(elsewhere);
    std::filesystem::copy_file(binaryFolder() + "/Lumin.so", elsewhere + "/Lumin.so");
    std::string detail;
    ASSERT_EQ(registerServerLibrary(elsewhere + "/Lumin.so", false, &detail), S_OK) << detail;
    run = camctl({"get", url});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("using the registered client library " + elsewhere + "/Lumin.so"),
              std::string::npos)
        << run.err;
}

TEST_F(CamctlStream, HttpsNeedsInsecureForASelfSignedCamera)
{
    camsim::CamSimConfig config;
    config.fps = 0;
    config.https = true;
    camsim::CamSim* camera = startCamera(config);
    ASSERT_TRUE(camera);
    const std::string url = camera->httpsUrl(camera->videoPath());
    Child::Result run = camctl({"stream", url, "--frames", "2"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("certificate is not trusted (SHA-256 "), std::string::npos) << run.err;
    run = camctl({"stream", url, "--frames", "2", "--insecure"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(jpegParts(run.out), 2u);
}

// A server nobody here wrote: ffmpeg's own HTTP server sending its MJPEG muxer's output.
TEST_F(CamctlStream, ReceivesFfmpegsMjpegStreamFrameByFrame)
{
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ffmpeg not installed";
    // A free port: bound, read, released.
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ::bind(probe, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&addr), &len);
    const int port = ntohs(addr.sin_port);
    ::close(probe);
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/stream";
    Child ffmpeg({"ffmpeg",
                  "-hide_banner",
                  "-loglevel",
                  "error",
                  "-re",
                  "-f",
                  "lavfi",
                  "-i",
                  "testsrc=size=320x240:rate=10",
                  "-t",
                  "30",
                  "-c:v",
                  "mjpeg",
                  "-f",
                  "mpjpeg",
                  "-listen",
                  "1",
                  "-content_type",
                  "multipart/x-mixed-replace;boundary=ffmpeg",
                  url},
                 false);
    ASSERT_TRUE(ffmpeg.started());
    // ffmpeg serves one client only, so it is not probed: wait until its port listens.
    char hexPort[8];
    std::snprintf(hexPort, sizeof hexPort, ":%04X ", port);
    const bool listening = waitUntil(
        [&] {
            std::ifstream tcp("/proc/net/tcp");
            std::string line;
            while (std::getline(tcp, line))
                if (line.find(std::string("0100007F") + hexPort + "00000000:0000 0A") !=
                    std::string::npos)
                    return true;
            return false;
        },
        std::chrono::seconds(15));
    ASSERT_TRUE(listening) << "ffmpeg did not start listening";
    const Child::Result run = camctl({"stream", url, "--frames", "5"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(jpegParts(run.out), 5u) << run.out;
}
