// What the page host reads of a page: objects with their params, text blocks, title, and
// hostile input that must stay bounded and linear.

#include "hosts/page/PageParser.h"

#include "common/PictraClasses.h"
#include "hosts/page/PageSource.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace pagehost {
namespace {

TEST(PageParserTest, ReadsTheObjectsOfACamerasPage)
{
    const ParsedPage page = parsePage(R"(<!DOCTYPE html>
<html><head><title>OS34 &amp; friends</title>
<script>document.write("<object classid='clsid:00000000-0000-0000-0000-000000000000'>")</script>
<style>p { color: red }</style></head>
<body><h1>Live</h1><!-- <object classid="clsid:917623D1-D8E5-11D2-BE8B-00104B06BDE3"> -->
<p>Click to centre &lt;here&gt;&#33;</p>
<OBJECT ID=Cam CLASSID="CLSID:917623d1-d8e5-11d2-be8b-00104b06bde3" WIDTH=352 height="288px">
  <PARAM NAME="URL" VALUE="/orvel-cgi/mjpg/video.cgi?resolution=352x288&amp;camera=1">
  <param name='image_pan_tilt' value='/ptz.cgi?center='>
  <param name=Stretch value=1>
  Your browser cannot show the camera.
</OBJECT>
<object classid="clsid:not-a-guid" width="50%" height="100"></object>
</body></html>)");
    EXPECT_EQ(page.title, "OS34 & friends");
    ASSERT_EQ(page.objects.size(), 2u);
    const PageObject& cam = page.objects[0];
    ASSERT_TRUE(cam.clsid);
    EXPECT_EQ(*cam.clsid, CLSID_CamImage);
    EXPECT_EQ(cam.id, "Cam");
    EXPECT_EQ(cam.width, 352);
    EXPECT_EQ(cam.height, 288);
    ASSERT_EQ(cam.params.size(), 3u);
    EXPECT_EQ(cam.params[0].name, "URL");
    EXPECT_EQ(cam.params[0].value, "/orvel-cgi/mjpg/video.cgi?resolution=352x288&camera=1");
    EXPECT_EQ(cam.params[1].name, "image_pan_tilt");
    EXPECT_EQ(cam.params[1].value, "/ptz.cgi?center=");
    EXPECT_EQ(cam.params[2].value, "1");
    EXPECT_FALSE(page.objects[1].clsid);
    EXPECT_EQ(page.objects[1].width, 0); // a percentage is no pixel size
    EXPECT_EQ(page.objects[1].height, 100);

    std::vector<std::string> texts;
    for (const PageItem& item : page.items)
        if (item.kind == PageItem::Kind::Text)
            texts.push_back(item.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Live", "Click to centre <here>!"}));
    EXPECT_EQ(page.items.front().heading, 1);
}

TEST(PageParserTest, HostilePagesStayBoundedAndLinear)
{
    // Many objects, many params, unclosed quotes and tags, a huge attribute.
    std::string html = "<object classid=\"clsid:917623D1-D8E5-11D2-BE8B-00104B06BDE3\">";
    for (int i = 0; i < 200; ++i)
        html += "<param name=p" + std::to_string(i) + " value=v>";
    // Nested objects are fallback content, their params not the outer object's.
    for (int i = 0; i < 200; ++i)
        html += "<object classid=\"clsid:917623D1-D8E5-11D2-BE8B-00104B06BDE3\"><param name=n>";
    html += "<param value=\"" + std::string(100000, 'x') + "\">";
    html += "<p a=\"never closed";
    ParsedPage page = parsePage(html);
    ASSERT_EQ(page.objects.size(), 1u);
    EXPECT_EQ(page.objects[0].params.size(), kMaxObjectParams);
    EXPECT_FALSE(page.warnings.empty());

    std::string many;
    for (int i = 0; i < 300; ++i)
        many += "<object classid='clsid:917623D1-D8E5-11D2-BE8B-00104B06BDE3'></object>";
    EXPECT_EQ(parsePage(many).objects.size(), kMaxPageObjects);

    // Four MiB of tag openers and of references: linear, so well under a second even here.
    for (const std::string& unit : {std::string("<a "), std::string("&#"), std::string("<!-")}) {
        std::string big;
        while (big.size() < kMaxPageBytes)
            big += unit;
        const auto start = std::chrono::steady_clock::now();
        parsePage(big);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)) << unit;
    }
}

TEST(PageSourceTest, OpensRegularFilesOnlyAndSaysWhy)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("pagehost-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::filesystem::path file = folder / "page.html";
    std::ofstream(file) << "<title>T</title>";
    LoadedPage page;
    std::string error;
    ASSERT_TRUE(loadPage(file.string(), page, &error)) << error;
    EXPECT_EQ(page.html, "<title>T</title>");
    EXPECT_EQ(page.address, "file://" + file.string());

    // A named pipe would block a plain open; a folder is no page.
    const std::filesystem::path pipe = folder / "pipe.html";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_FALSE(loadPage(pipe.string(), page, &error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    EXPECT_FALSE(loadPage(folder.string(), page, &error));
    EXPECT_FALSE(loadPage((folder / "missing.html").string(), page, &error));
    EXPECT_NE(error.find("cannot open"), std::string::npos) << error;

    const std::filesystem::path big = folder / "big.html";
    {
        std::ofstream out(big);
        out << std::string(kMaxPageBytes + 1, ' ');
    }
    EXPECT_FALSE(loadPage(big.string(), page, &error));
    EXPECT_NE(error.find("larger than"), std::string::npos) << error;
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace pagehost
