// The page host opening a camera's own page over HTTP: the simulator's home page embeds the
// live image control with a bare-path URL.

#include "common/PictraClasses.h"
#include "hosts/page/PageParser.h"
#include "hosts/page/PageSource.h"
#include "testsupport/CamSimFixture.h"

namespace pagehost {
namespace {

class CameraPageTest : public CamSimFixture {};

TEST_F(CameraPageTest, TheCamerasHomePageEmbedsTheControlWithABarePath)
{
    camsim::CamSim* camera = startCamera();
    ASSERT_TRUE(camera);
    LoadedPage loaded;
    std::string error;
    ASSERT_TRUE(loadPage(camera->url("/"), loaded, &error)) << error;
    EXPECT_EQ(loaded.address, camera->url("/"));
    const ParsedPage page = parsePage(loaded.html);
    ASSERT_EQ(page.objects.size(), 1u);
    const PageObject& object = page.objects[0];
    ASSERT_TRUE(object.clsid);
    EXPECT_EQ(*object.clsid, CLSID_CamImage);
    EXPECT_GT(object.width, 0);
    EXPECT_GT(object.height, 0);
    ASSERT_FALSE(object.params.empty());
    EXPECT_EQ(object.params[0].name, "URL");
    EXPECT_EQ(object.params[0].value, camera->videoPath(1));
    EXPECT_EQ(object.params[0].value.front(), '/');
}

TEST_F(CameraPageTest, AnErrorAnswerIsNoPage)
{
    camsim::CamSim* camera = startCamera();
    ASSERT_TRUE(camera);
    LoadedPage loaded;
    std::string error;
    EXPECT_FALSE(loadPage(camera->url("/no/such/page.html"), loaded, &error));
    EXPECT_NE(error.find("answered 404"), std::string::npos) << error;
}

} // namespace
} // namespace pagehost
