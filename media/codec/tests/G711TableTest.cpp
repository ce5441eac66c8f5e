// Every one of the 65,536 linear samples encodes as ITU G.711's reference software encodes it:
// checked against a table made by another implementation (data/make-g711-tables.py) and
// against the reference algorithm, written here apart from the codec's own code.
#include "media/codec/G711.h"

#include <cstdint>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

using namespace orvel::codec;

namespace {

// The reference's A-law compressor: 12-bit magnitude (one's complement for negative samples),
// a chord from the position of its leading one, inversion of the even bits.
std::uint8_t referenceAlaw(int x)
{
    int ix = x < 0 ? (~x) >> 4 : x >> 4;
    if (ix > 15) {
        int exponent = 1;
        while (ix > 16 + 15) {
            ix >>= 1;
            ++exponent;
        }
        ix -= 16;
        ix += exponent << 4;
    }
    if (x >= 0)
        ix |= 0x80;
    return static_cast<std::uint8_t>(ix ^ 0x55);
}

// The reference's mu-law compressor: 14-bit magnitude plus the bias of 33, clipped.
std::uint8_t referenceUlaw(int x)
{
    int absno = (x < 0 ? (~x) >> 2 : x >> 2) + 33;
    if (absno > 0x1fff)
        absno = 0x1fff;
    int segment = 1;
    for (int i = absno >> 6; i != 0; i >>= 1)
        ++segment;
    const int high = 8 - segment;
    const int low = 15 - ((absno >> segment) & 15);
    int y = (high << 4) | low;
    if (x >= 0)
        y |= 0x80;
    return static_cast<std::uint8_t>(y);
}

std::vector<std::uint8_t> readTable(const std::string& name)
{
    std::ifstream in(std::string(ORVEL_G711_TABLES_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Compares all inputs, naming the first few that differ and counting them all.
template <typename Encode, typename Expected> void expectAll(Encode encode, Expected expected)
{
    int wrong = 0;
    for (int sample = -32768; sample <= 32767; ++sample) {
        const int want = expected(sample);
        const int got = encode(sample);
        if (got != want && ++wrong <= 5)
            ADD_FAILURE() << "sample " << sample << ": 0x" << std::hex << got << " instead of 0x"
                          << want;
    }
    EXPECT_EQ(wrong, 0) << "samples encoded unlike the reference";
}

} // namespace

TEST(G711Table, ALawEncodesEverySampleAsTheReference)
{
    const std::vector<std::uint8_t> table = readTable("lin2alaw.bin");
    ASSERT_EQ(table.size(), 65536u);
    expectAll(linearToAlaw, [&](int s) { return table[static_cast<std::size_t>(s + 32768)]; });
    expectAll(linearToAlaw, referenceAlaw);
    EXPECT_EQ(linearToAlaw(-23), 0x54);
    EXPECT_EQ(alawToLinear(0x54), -24);
}

TEST(G711Table, MuLawEncodesEverySampleAsTheReference)
{
    expectAll(linearToUlaw, referenceUlaw);
}

// Decoding then encoding gives the code back, for every code of both laws.
TEST(G711Table, EveryCodeSurvivesDecodingAndEncoding)
{
    for (int code = 0; code < 256; ++code) {
        const auto c = static_cast<std::uint8_t>(code);
        EXPECT_EQ(referenceAlaw(alawToLinear(c)), c) << code;
        // Mu-law has two codes for zero (0x7f and 0xff); both decode to 0, which encodes as 0xff.
        if (code != 0x7f) {
            EXPECT_EQ(referenceUlaw(ulawToLinear(c)), c) << code;
        }
    }
}
