// The request reader: what it takes from a head, how it decodes queries, when it waits for
// more and when it refuses.

#include "tools/camsim/CamRoutes.h"
#include "tools/camsim/HttpRequest.h"

#include <gtest/gtest.h>

using namespace camsim;

TEST(HttpRequestTest, ReadsRequestLineHeadersAndQueryWithEitherLineEnd)
{
    for (std::string_view head : {"GET /a/b.cgi?x=1&center=?10,20&name=a%20b HTTP/1.1\r\n"
                                  "Host:  cam \r\nAuthorization: Basic abc\r\n\r\nbody",
                                  "GET /a/b.cgi?x=1&center=?10,20&name=a%20b HTTP/1.1\n"
                                  "Host:  cam \nAuthorization: Basic abc\n\nbody"}) {
        HttpRequest request;
        std::size_t length = 0;
        ASSERT_EQ(parseRequestHead(head, request, length), ParseStatus::Complete);
        EXPECT_EQ(head.substr(length), "body");
        EXPECT_EQ(request.method, "GET");
        EXPECT_EQ(request.path, "/a/b.cgi");
        EXPECT_EQ(request.version, "HTTP/1.1");
        EXPECT_EQ(request.header("host"), "cam");
        EXPECT_EQ(request.header("AUTHORIZATION"), "Basic abc");
        EXPECT_FALSE(request.header("Cookie"));
        EXPECT_EQ(request.param("center"), "?10,20");
        EXPECT_EQ(request.param("name"), "a b");
        EXPECT_FALSE(request.param("X"));
    }
}

TEST(HttpRequestTest, WaitsForTheEmptyLineAndRefusesBrokenHeads)
{
    HttpRequest request;
    std::size_t length = 0;
    EXPECT_EQ(parseRequestHead("GET / HTTP/1.1\r\nHost: cam\r\n", request, length),
              ParseStatus::Incomplete);
    EXPECT_EQ(parseRequestHead("GET / HTTP/1.1\r\nHost: cam\r\n\r", request, length),
              ParseStatus::Incomplete);
    EXPECT_EQ(parseRequestHead("NONSENSE\r\n\r\n", request, length), ParseStatus::Invalid);
    EXPECT_EQ(parseRequestHead("GET / FTP/1.0\r\n\r\n", request, length), ParseStatus::Invalid);
    EXPECT_EQ(parseRequestHead("GET / HTTP/1.1\r\nno colon here\r\n\r\n", request, length),
              ParseStatus::Invalid);
}

TEST(HttpRequestTest, ResolutionNamesOfEveryGeneration)
{
    int w = 0, h = 0;
    ASSERT_TRUE(resolutionSize(Generation::G100, "halfsize", w, h));
    EXPECT_EQ(w * 10000 + h, 320 * 10000 + 240);
    ASSERT_TRUE(resolutionSize(Generation::G210, "HALFSIZE", w, h));
    EXPECT_EQ(w * 10000 + h, 176 * 10000 + 112);
    ASSERT_TRUE(resolutionSize(Generation::G200, "video640x480", w, h));
    EXPECT_EQ(w * 10000 + h, 640 * 10000 + 480);
    ASSERT_TRUE(resolutionSize(Generation::G210, "2CIF", w, h));
    EXPECT_EQ(w * 10000 + h, 704 * 10000 + 288);
    EXPECT_FALSE(resolutionSize(Generation::G210, "1921x1080", w, h));
    EXPECT_FALSE(resolutionSize(Generation::G210, "640x", w, h));
    EXPECT_FALSE(resolutionSize(Generation::G210, "352x288 (PAL)", w, h));
}
