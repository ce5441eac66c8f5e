// The ITU-T reset test sequences: the encoder must reproduce every code, and the decoder the
// encoder's reconstructed signal and the G.711 output with synchronous coding adjustment.

#include "media/codec/G711.h"
#include "media/codec/G726.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace orvel::codec;

namespace {

const std::filesystem::path kDataDir = std::filesystem::path(ORVEL_TESTDATA_DIR) / "g726";

// One 16-bit little-endian word per sample or code.
std::vector<int> readWords(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<int> words;
    unsigned char b[2];
    while (in.read(reinterpret_cast<char*>(b), 2))
        words.push_back(b[0] | (b[1] << 8));
    return words;
}

struct Sequence {
    const char* input; // "nrm" or "ovr"
    char law;          // 'a' or 'm'
    int rate;          // kbit/s
};

std::string stem(const Sequence& s)
{
    char name[16];
    std::snprintf(name, sizeof name, "r%c%df%c", s.input[0] == 'n' ? 'n' : 'v', s.rate, s.law);
    return name;
}

class G726Conformance : public testing::TestWithParam<Sequence> {
protected:
    void SetUp() override
    {
        if (!std::filesystem::is_directory(kDataDir))
            GTEST_SKIP() << "test sequences not found in " << kDataDir;
        const Sequence& s = GetParam();
        input = readWords(kDataDir / (std::string(s.input) + "." + s.law));
        codes = readWords(kDataDir / (stem(s) + ".i"));
        g711Out = readWords(kDataDir / (stem(s) + ".o"));
        ASSERT_FALSE(input.empty());
        ASSERT_EQ(input.size(), codes.size());
        ASSERT_EQ(codes.size(), g711Out.size());
    }

    std::vector<int> input, codes, g711Out;
};

TEST_P(G726Conformance, EncoderReproducesCodesAndDecoderTheReconstructedSignal)
{
    const Sequence& s = GetParam();
    G726 encoder(s.rate / 8);
    G726 decoder(s.rate / 8);
    for (std::size_t k = 0; k < input.size(); ++k) {
        auto g711 = static_cast<std::uint8_t>(input[k]);
        int linear = s.law == 'a' ? alawToLinear(g711) : ulawToLinear(g711);
        int code = encoder.encode(linear);
        ASSERT_EQ(code, codes[k]) << "sample " << k;
        decoder.decode(code);
        ASSERT_EQ(decoder.reconstructed(), encoder.reconstructed()) << "sample " << k;
    }
}

TEST_P(G726Conformance, DecoderReproducesG711Output)
{
    const Sequence& s = GetParam();
    G726 decoder(s.rate / 8);
    for (std::size_t k = 0; k < codes.size(); ++k)
        ASSERT_EQ(decoder.decodeToG711(codes[k], s.law == 'a'), g711Out[k]) << "sample " << k;
}

std::vector<Sequence> allSequences()
{
    std::vector<Sequence> all;
    for (const char* in : {"nrm", "ovr"})
        for (char law : {'a', 'm'})
            for (int rate : {24, 32, 40})
                all.push_back({in, law, rate});
    return all;
}

INSTANTIATE_TEST_SUITE_P(ResetSequences, G726Conformance, testing::ValuesIn(allSequences()),
                         [](const auto& info) { return stem(info.param); });

} // namespace
