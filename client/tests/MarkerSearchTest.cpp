// The marker search against the C library's general search, on JPEG-like random bytes with
// markers, near misses and cut-off markers at every offset near the ends of the data.
#include "client/MarkerSearch.h"

#include <gtest/gtest.h>
#include <random>
#include <string.h>
#include <string>

namespace lumin {
namespace {

const char* reference(std::string_view data, std::string_view marker)
{
    return static_cast<const char*>(memmem(data.data(), data.size(), marker.data(), marker.size()));
}

} // namespace

TEST(MarkerSearch, FindsWhatTheGeneralSearchFindsAtEveryOffset)
{
    std::mt19937 random(7);
    const std::string markers[] = {"--myboundary", "--", "-x", "--ffmpeg", std::string(40, '-')};
    for (const std::string& marker : markers) {
        for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{15}, std::size_t{16},
                                 std::size_t{31}, std::size_t{64}, std::size_t{200}}) {
            std::string base(size, '\0');
            for (char& c : base)
                c = static_cast<char>(random() & 0xFF);
            // Nothing planted, a whole marker, a marker cut short, and a near miss (last byte
            // wrong) at each offset; the haystack also starts at each alignment.
            for (std::size_t at = 0; at <= size; ++at) {
                for (int form = 0; form < 4; ++form) {
                    std::string data = base;
                    if (form == 1)
                        data.replace(at, std::min(marker.size(), size - at), marker);
                    else if (form == 2 && at + marker.size() > size)
                        data.replace(at, size - at, marker.substr(0, size - at));
                    else if (form == 3 && at + marker.size() <= size) {
                        data.replace(at, marker.size(), marker);
                        data[at + marker.size() - 1] ^= 1;
                    }
                    for (std::size_t skip = 0; skip < std::min<std::size_t>(data.size(), 3);
                         ++skip) {
                        const std::string_view view(data.data() + skip, data.size() - skip);
                        ASSERT_EQ(findMarker(view, marker), reference(view, marker))
                            << "marker " << marker.size() << " size " << size << " at " << at
                            << " form " << form << " skip " << skip;
                    }
                }
            }
        }
    }
}

TEST(MarkerSearch, FirstOfSeveralAndEdgeCases)
{
    const std::string data = "xx--myb--myboundary--myboundary";
    EXPECT_EQ(findMarker(data, "--myboundary"), data.data() + 7);
    EXPECT_EQ(findMarker(data, ""), data.data());
    EXPECT_EQ(findMarker("", "--b"), nullptr);
    EXPECT_EQ(findMarker(data, "m"), data.data() + 4);
    // Zero bytes are data like any other.
    const std::string zeros("\0\0--b\0--b", 9);
    EXPECT_EQ(findMarker(zeros, std::string_view("b\0-", 3)), zeros.data() + 4);
}

} // namespace lumin
