// The splitter and the part-header rules on bytes fed in every chunk size.
#include "client/MultipartSplitter.h"

#include "common/ICamRequestSink.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace lumin {
namespace {

struct Part {
    std::string bytes;
    HeaderList headers;
};

// takeWhole: each part's buffer is handed over, as the client's own data object takes it.
std::vector<Part> split(const std::string& stream, std::size_t chunk,
                        std::size_t limit = kCamMaxPartBytes,
                        MultipartSplitter::Result* last = nullptr, bool takeWhole = false)
{
    std::vector<Part> parts;
    PartBuffer spare;
    MultipartSplitter* self = nullptr;
    MultipartSplitter splitter(
        "--myboundary",
        [&](std::string_view part, const HeaderList& headers) {
            if (takeWhole) {
                EXPECT_TRUE(self->handOver(spare));
                EXPECT_FALSE(self->handOver(spare)); // once per part
                // The part stays where Deliver was told it is, now in spare.
                EXPECT_EQ(spare.data(), part.data());
                parts.push_back({std::string(spare.begin(), spare.end()), headers});
                spare.resize(7); // whatever the taker gives back
                return true;
            }
            parts.push_back({std::string(part), headers});
            return true;
        },
        limit);
    self = &splitter;
    MultipartSplitter::Result r = MultipartSplitter::Result::Continue;
    for (std::size_t at = 0; at < stream.size() && r == MultipartSplitter::Result::Continue;
         at += chunk)
        r = splitter.feed(stream.data() + at, std::min(chunk, stream.size() - at));
    if (last)
        *last = r;
    return parts;
}

// JPEG-like data with zero bytes and a CR LF "--" that is not a marker.
const std::string kTricky("\xFF\xD8\x00\x00\r\n--mybound\r\n--\x00\xFF\xD9", 18);

std::string stream()
{
    return "--myboundary\r\nContent-Type: image/jpeg\r\nContent-Length: 18\r\n\r\n" + kTricky +
           "\r\n--myboundary\r\nContent-Type: audio/G723\r\n\r\nA\r\n\r\n\r\n"
           "--myboundary\r\n\r\nno type\r\n--myboundary\r\n";
}

} // namespace

TEST(MultipartSplitter, SamePartsWhateverTheChunkSizeCopiedOrHandedOver)
{
    for (bool takeWhole : {false, true})
        for (std::size_t chunk = 1; chunk <= stream().size(); ++chunk) {
            SCOPED_TRACE(takeWhole ? "handed over" : "copied");
            const std::vector<Part> parts =
                split(stream(), chunk, kCamMaxPartBytes, nullptr, takeWhole);
            ASSERT_EQ(parts.size(), 3u) << "chunk " << chunk;
            EXPECT_EQ(parts[0].bytes, kTricky) << "chunk " << chunk;
            ASSERT_EQ(parts[0].headers.size(), 2u) << "chunk " << chunk; // never duplicated
            EXPECT_EQ(parts[0].headers[0],
                      (std::pair<std::string, std::string>("Content-Type", "image/jpeg")));
            EXPECT_EQ(partType(parts[0].headers), static_cast<UI4>(CamTypeJpeg));
            // Only two of the trailing CR/LF bytes go.
            EXPECT_EQ(parts[1].bytes, "A\r\n\r\n") << "chunk " << chunk;
            EXPECT_EQ(partType(parts[1].headers), static_cast<UI4>(CamTypeAudio));
            EXPECT_EQ(partType(parts[2].headers), static_cast<UI4>(CamTypeOther));
        }
}

TEST(MultipartSplitter, BytesBeforeTheFirstMarkerAreAPartWithoutHeaders)
{
    const std::vector<Part> parts =
        split("preamble\r\n--myboundary\r\nContent-Type: text/plain\r\n\r\nx\r\n--myboundary", 5);
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0].bytes, "preamble");
    EXPECT_TRUE(parts[0].headers.empty());
    EXPECT_EQ(partType(parts[1].headers), static_cast<UI4>(CamTypeText));
}

TEST(MultipartSplitter, PartPastTheLimitEndsTheStreamAndMemoryStaysBounded)
{
    std::string big = "--myboundary\r\n\r\n" + std::string(10000, 'J');
    MultipartSplitter::Result last{};
    const std::vector<Part> parts = split(big, 1000, 4096, &last);
    EXPECT_TRUE(parts.empty());
    EXPECT_EQ(last, MultipartSplitter::Result::TooLarge);

    // Below the limit one buffer serves every part: it holds at most a part, its headers and
    // one read.
    std::string many;
    for (int i = 0; i < 200; ++i)
        many +=
            "--myboundary\r\nContent-Type: image/jpeg\r\n\r\n" + std::string(3000, 'j') + "\r\n";
    std::size_t delivered = 0;
    MultipartSplitter splitter("--myboundary", [&](std::string_view, const HeaderList&) {
        ++delivered;
        return true;
    });
    for (std::size_t at = 0; at < many.size(); at += 2920) {
        splitter.feed(many.data() + at, std::min<std::size_t>(2920, many.size() - at));
        EXPECT_LE(splitter.buffered(), 3000u + 2920u + 64u);
    }
    EXPECT_EQ(delivered, 199u);
    EXPECT_LE(splitter.capacity(), 2 * (3000u + 2920u + 64u));

    // Handed over, two buffers take turns and neither grows past that bound; outside Deliver
    // nothing is handed.
    PartBuffer spare;
    std::size_t biggest = 0;
    MultipartSplitter* self = nullptr;
    MultipartSplitter taking("--myboundary", [&](std::string_view part, const HeaderList&) {
        EXPECT_TRUE(self->handOver(spare));
        EXPECT_EQ(std::string_view(spare.data(), spare.size()), part);
        biggest = std::max(biggest, spare.capacity());
        return true;
    });
    self = &taking;
    for (std::size_t at = 0; at < many.size(); at += 2920) {
        taking.feed(many.data() + at, std::min<std::size_t>(2920, many.size() - at));
        EXPECT_LE(taking.buffered(), 3000u + 2920u + 64u);
    }
    EXPECT_FALSE(taking.handOver(spare));
    EXPECT_LE(biggest, 2 * (3000u + 2920u + 64u));
    EXPECT_LE(taking.capacity(), 2 * (3000u + 2920u + 64u));
}

// A part whose header block passes its bounds (lines or bytes) is skipped with one notice and
// the stream goes on at the next marker; nothing of it is kept meanwhile.
TEST(MultipartSplitter, PartWithAnOversizedHeaderBlockIsSkippedAndTheStreamGoesOn)
{
    const std::string manyLines = [] {
        std::string lines;
        for (int i = 0; i < 20000; ++i)
            lines += "X-Line: " + std::to_string(i) + "\r\n";
        return lines;
    }();
    const std::string longLine = "X-Long: " + std::string(kMaxPartHeaderBytes + 10, 'x') + "\r\n";
    for (const std::string* block : {&manyLines, &longLine}) {
        const std::string input = "--myboundary\r\nContent-Type: text/plain\r\n\r\none\r\n"
                                  "--myboundary\r\n" +
                                  *block +
                                  "\r\nskipped body\r\n"
                                  "--myboundary\r\nContent-Type: text/plain\r\n\r\ntwo\r\n"
                                  "--myboundary\r\n";
        std::vector<std::string> parts;
        std::vector<std::string> notices;
        MultipartSplitter splitter("--myboundary", [&](std::string_view part, const HeaderList&) {
            parts.emplace_back(part);
            return true;
        });
        splitter.onSkipped([&](std::string_view why) { notices.emplace_back(why); });
        std::size_t mostBuffered = 0;
        for (std::size_t at = 0; at < input.size(); at += 1460) {
            ASSERT_EQ(
                splitter.feed(input.data() + at, std::min<std::size_t>(1460, input.size() - at)),
                MultipartSplitter::Result::Continue);
            mostBuffered = std::max(mostBuffered, splitter.buffered());
        }
        EXPECT_EQ(parts, (std::vector<std::string>{"one", "two"}));
        ASSERT_EQ(notices.size(), 1u);
        EXPECT_NE(notices[0].find("header block is over 64 KiB or 1000 lines"), std::string::npos)
            << notices[0];
        EXPECT_LE(mostBuffered, kMaxPartHeaderBytes + 2 * 1460);
    }
}

TEST(MultipartSplitter, StopsWhenDeliveryRefuses)
{
    int calls = 0;
    MultipartSplitter splitter("--b", [&](std::string_view, const HeaderList&) {
        ++calls;
        return false;
    });
    const std::string s = "one\r\n--b\r\n\r\ntwo\r\n--b\r\n\r\n";
    EXPECT_EQ(splitter.feed(s.data(), s.size()), MultipartSplitter::Result::Stopped);
    EXPECT_EQ(calls, 1);
}

struct BoundaryCase {
    const char* contentType;
    const char* marker; // nullptr: not multipart
};

class Boundary : public ::testing::TestWithParam<BoundaryCase> {};

TEST_P(Boundary, MarkerFromTheContentType)
{
    const auto marker = boundaryMarker(GetParam().contentType);
    if (GetParam().marker == nullptr) {
        EXPECT_FALSE(marker.has_value()) << *marker;
    } else {
        ASSERT_TRUE(marker.has_value());
        EXPECT_EQ(*marker, GetParam().marker);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, Boundary,
    ::testing::Values(BoundaryCase{"multipart/x-mixed-replace;boundary=myboundary", "--myboundary"},
                      BoundaryCase{"Multipart/X-Mixed-Replace; Boundary=--abc", "--abc"},
                      BoundaryCase{"multipart/x-mixed-replace; boundary=\"quoted\"", "--quoted"},
                      BoundaryCase{"multipart/x-mixed-replace; boundary = = spaced ", "--spaced"},
                      BoundaryCase{"multipart/x-mixed-replace; x=1; boundary=a; boundary=b", "--b"},
                      BoundaryCase{"multipart/x-mixed-replace", nullptr},
                      BoundaryCase{"multipart/x-mixed-replace; boundaryless", nullptr},
                      BoundaryCase{"image/jpeg; boundary=x", nullptr}));

TEST(PartHeaders, ParserRules)
{
    HeaderList headers{{"old", "gone"}};
    std::string block = "HTTP/1.0 200 OK\r\nContent-Type :  image/jpeg \r\nEmpty:\r\n"
                        "X-A: b: c\r\n\r\nbody";
    std::size_t pos = 0;
    ASSERT_TRUE(parseHeaderBlock(block, pos, headers));
    EXPECT_EQ(block.substr(pos), "body");
    ASSERT_EQ(headers.size(), 2u);
    EXPECT_EQ(headers[0].first, "Content-Type");
    EXPECT_EQ(headers[0].second, "image/jpeg");
    EXPECT_EQ(headers[1].second, "b: c");

    std::string incomplete = "\r\nContent-Type: image/jpeg\r\n";
    pos = 0;
    EXPECT_FALSE(parseHeaderBlock(incomplete, pos, headers));
    EXPECT_EQ(pos, 0u);
    // The first line (rest of the marker line) never ends the block.
    std::string afterMarker = "\r\n\r\n";
    pos = 0;
    EXPECT_TRUE(parseHeaderBlock(afterMarker, pos, headers));
    EXPECT_EQ(pos, 4u);

    EXPECT_EQ(partType({{"content-type", "image/jpeg"}, {"Content-Type", "text/html"}}),
              static_cast<UI4>(CamTypeHtml));
    EXPECT_EQ(partType({{"Content-Type", "image/jpeg; q=1"}}), static_cast<UI4>(CamTypeOther));
    EXPECT_EQ(partType({{"CONTENT-TYPE", "AUDIO/32kadpcm"}}), static_cast<UI4>(CamTypeAudio));
}

} // namespace lumin
