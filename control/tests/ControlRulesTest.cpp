// The control's rules that need no camera: address resolution, the PTZ requests, the
// watchdog table.

#include "control/PtzRequests.h"
#include "control/StreamWatchdog.h"
#include "control/UrlResolution.h"
#include "platform/base/Utf.h"

#include <gtest/gtest.h>

namespace pictra {
namespace {

struct ResolutionCase {
    const char* value;
    const char* document; // null: no document
    const char* expected; // null: nothing resolved
};

class UrlResolutionTest : public testing::TestWithParam<ResolutionCase> {};

TEST_P(UrlResolutionTest, Resolves)
{
    const ResolutionCase& c = GetParam();
    std::optional<std::u16string> document;
    if (c.document)
        document = utf8ToUtf16(c.document);
    std::optional<std::u16string> result = resolveAgainstDocument(utf8ToUtf16(c.value), document);
    if (!c.expected) {
        EXPECT_FALSE(result);
        return;
    }
    ASSERT_TRUE(result);
    EXPECT_EQ(utf16ToUtf8(*result), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, UrlResolutionTest,
    testing::Values(
        ResolutionCase{"", "http://cam/", nullptr},
        ResolutionCase{"/orvel-cgi/mjpg/video.cgi", "http://10.0.0.7/index.html",
                       "http://10.0.0.7/orvel-cgi/mjpg/video.cgi"},
        ResolutionCase{"/video.cgi?a=1", "https://cam.example:8443/dir/page.html?x=//y",
                       "https://cam.example:8443/video.cgi?a=1"},
        ResolutionCase{"/video.cgi", "http://cam:81", "http://cam:81/video.cgi"},
        ResolutionCase{"video.cgi", "http://cam/dir/page.html", "http://cam/video.cgi"},
        ResolutionCase{"https://other/video.cgi", "http://cam/", "https://other/video.cgi"},
        ResolutionCase{"/redirect?to=http://other/", "http://cam/", "/redirect?to=http://other/"},
        ResolutionCase{"HTTP://Other/v", "http://cam/", "HTTP://Other/v"},
        ResolutionCase{"/video.cgi", nullptr, "/video.cgi"},
        ResolutionCase{"/video.cgi", "about:blank", "/video.cgi"}));

TEST(PtzRequestsTest, ClickAppendsTheCoordinatesToTheProperty)
{
    EXPECT_EQ(centerRequest("http://cam/ptz.cgi?camera=1&center=", 120, 45),
              "http://cam/ptz.cgi?camera=1&center=120,45");
    EXPECT_EQ(centerRequest("http://cam/ptz.cgi?center=", 0, 0), "http://cam/ptz.cgi?center=0,0");
    EXPECT_EQ(centerRequest("", 10, 10), "");
}

TEST(PtzRequestsTest, WheelZoomsByOneStepOfTheDeltaSign)
{
    EXPECT_EQ(zoomRequest("http://cam/ptz.cgi?camera=1&center=", 120),
              "http://cam/ptz.cgi?camera=1&rzoom=1000");
    EXPECT_EQ(zoomRequest("http://cam/ptz.cgi?camera=1&center=", -1),
              "http://cam/ptz.cgi?camera=1&rzoom=-1000");
    EXPECT_EQ(zoomRequest("http://cam/ptz.cgi?camera=1&center=", -720),
              "http://cam/ptz.cgi?camera=1&rzoom=-1000");
    // Without "&center=" the whole property is the base.
    EXPECT_EQ(zoomRequest("http://cam/ptz.cgi?camera=2", 5),
              "http://cam/ptz.cgi?camera=2&rzoom=1000");
    EXPECT_EQ(zoomRequest("", 120), "");
}

TEST(StreamWatchdogTest, FollowsTheTable)
{
    StreamWatchdog dog;
    dog.downloadStarted();
    // No image yet: failed at every tick, still waiting.
    EXPECT_EQ(dog.tick(), WatchdogAction::ConnectionFailed);
    EXPECT_EQ(dog.tick(), WatchdogAction::ConnectionFailed);
    EXPECT_TRUE(dog.waiting());
    // An image: the stream runs.
    dog.imageReceived();
    EXPECT_EQ(dog.tick(), WatchdogAction::None);
    EXPECT_FALSE(dog.waiting());
    dog.imageReceived();
    EXPECT_EQ(dog.tick(), WatchdogAction::None);
    // Images stopped: broken, once per silent period.
    EXPECT_EQ(dog.tick(), WatchdogAction::ConnectionBroken);
    dog.downloadStarted();
    EXPECT_EQ(dog.tick(), WatchdogAction::ConnectionFailed);
}

} // namespace
} // namespace pictra
