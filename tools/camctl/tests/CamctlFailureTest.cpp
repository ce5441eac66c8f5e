// camctl against cameras that fail: every failure ends with a non-zero exit and one line on
// standard error that names what happened, and never with half an answer on standard output.
#include "platform/base/FileDescriptor.h"
#include "tools/camctl/tests/CamctlProgram.h"

#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace camctltest;

namespace {

class CamctlFailure : public CamctlFixture {
protected:
    static std::string paramUrl(camsim::CamSim& camera)
    {
        return camera.url("/orvel-cgi/view/param.cgi?action=list&group=root.Brand.ProdShortName");
    }
};

// A state root where nothing is registered yet: every command registers the library beside it.
class CamctlFreshState : public CamSimFixture {
protected:
    TempStateRoot m_root;
};

} // namespace

TEST_F(CamctlFreshState, EveryCommandRegistersTheLibraryBesideIt)
{
    camsim::CamSim* camera = startCamera({});
    ASSERT_TRUE(camera);
    const Child::Result run = camctl({"identify", camera->host()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("model=" + std::string(camera->model().name), 0), 0u) << run.out;
}

TEST_F(CamctlFailure, GetTakesInsecureForASelfSignedCamera)
{
    camsim::CamSimConfig config;
    config.https = true;
    camsim::CamSim* camera = startCamera(config);
    ASSERT_TRUE(camera);
    const std::string url =
        camera->httpsUrl("/orvel-cgi/view/param.cgi?action=list&group=root.Brand.ProdShortName");
    Child::Result run = camctl({"get", url, "--insecure"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("root.Brand.ProdShortName=", 0), 0u) << run.out;

    run = camctl({"get", url});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find("certificate is not trusted (SHA-256 "), std::string::npos) << run.err;
}

TEST_F(CamctlFailure, GetOfABodyCutShortOrTooLargePrintsNothingAndSaysWhy)
{
    camsim::CamSimConfig config;
    config.faults.extraBodyBytes = 100000;
    config.faults.resetAfterBytes = 40000;
    camsim::CamSim* reset = startCamera(config);
    config.faults.resetAfterBytes = -1;
    config.faults.closeAfterBytes = 40000;
    camsim::CamSim* closed = startCamera(config);
    config.faults.closeAfterBytes = -1;
    config.faults.extraBodyBytes = 64u * 1024 * 1024 + 1;
    camsim::CamSim* huge = startCamera(config);
    ASSERT_TRUE(reset && closed && huge);

    for (camsim::CamSim* camera : {reset, closed}) {
        const Child::Result run = camctl({"get", paramUrl(*camera)});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.out.empty()) << run.out.size() << " bytes written";
        EXPECT_NE(run.err.find("no whole answer from"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    }
    const Child::Result run = camctl({"get", paramUrl(*huge), "--timeout", "60000"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.empty()) << run.out.size() << " bytes written";
    EXPECT_NE(run.err.find("is larger than 64 MiB"), std::string::npos) << run.err;
}

TEST_F(CamctlFailure, StreamFailuresNameTheirCause)
{
    struct Case {
        const char* what;
        camsim::CamSimConfig config;
        bool image; // ask for a single image instead of the stream
        const char* says;
    };
    std::vector<Case> cases(4);
    cases[0] = {"500", {}, false, "camctl stream: the camera answered 500 Internal Server Error\n"};
    cases[0].config.faults.forceStatus = 500;
    cases[1] = {"not multipart",
                {},
                true,
                "camctl stream: the reply is not a multipart stream (Content-Type: image/jpeg)\n"};
    cases[2] = {"encoding",
                {},
                false,
                "camctl stream: the reply's content encoding \"gzip\" is not supported\n"};
    cases[2].config.stream.extraResponseHeaders = {"Content-Encoding: gzip"};
    cases[3] = {"redirects", {}, false, "too many redirects\n"};
    cases[3].config.faults.forceStatus = 302;
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        camsim::CamSim* camera = startCamera(c.config);
        ASSERT_TRUE(camera);
        const std::string url = camera->url(c.image ? camera->imagePath() : camera->videoPath());
        const Child::Result run = camctl({"stream", url, "--frames", "3"});
        EXPECT_EQ(run.exitCode, 1);
        ASSERT_GE(run.err.size(), std::string(c.says).size());
        EXPECT_EQ(run.err.substr(run.err.size() - std::string(c.says).size()), c.says) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    }
}

// The library itself keeps delivering an error page as the stream's one part.
TEST_F(CamctlFailure, StreamAnsweredWithAnErrorStatusStillShowsThePage)
{
    camsim::CamSimConfig config;
    config.faults.forceStatus = 500;
    camsim::CamSim* camera = startCamera(config);
    ASSERT_TRUE(camera);
    const Child::Result run = camctl({"stream", camera->url(camera->videoPath())});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("part 1 type=0x5504 "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("status 21813 500 Internal Server Error\n"), std::string::npos)
        << run.out;
}

// Files the user names that are no regular files: a pipe nobody writes to would hold the body
// read for ever, a pipe with a reader the snapshot's write. Each is one line and exit 1.
TEST_F(CamctlFailure, APipeOrAFolderForAFileIsSaidNotWaitedOn)
{
    camsim::CamSim* camera = startCamera({});
    ASSERT_TRUE(camera);
    const std::string pipe = m_root.path() + "/pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& path : {pipe, m_root.path()}) {
        const Child::Result run = camctl({"post", paramUrl(*camera), path});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, "camctl post: " + path + " is not a regular file\n");
        EXPECT_TRUE(run.out.empty());
    }

    const orvel::FileDescriptor reader(::open(pipe.c_str(), O_RDONLY | O_NONBLOCK));
    ASSERT_TRUE(reader.isOpen());
    for (const std::string& path : {pipe, m_root.path()}) {
        const Child::Result run = camctl({"snapshot", camera->url(camera->videoPath()), path});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, "camctl snapshot: " + path + " is not a regular file\n");
    }
    char byte = 0;
    EXPECT_EQ(::read(reader.get(), &byte, 1), 0); // nothing was written into the pipe
}
