#include "media/codec/AudioCodec.h"

#include "media/codec/G711.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

using namespace orvel::codec;

namespace {

std::vector<std::uint8_t> toPcm(const std::vector<std::int16_t>& samples)
{
    std::vector<std::uint8_t> pcm;
    for (std::int16_t s : samples) {
        auto u = static_cast<std::uint16_t>(s);
        pcm.push_back(static_cast<std::uint8_t>(u & 0xff));
        pcm.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return pcm;
}

std::vector<std::int16_t> fromPcm(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::int16_t> samples;
    for (std::size_t k = 0; k + 1 < size; k += 2)
        samples.push_back(static_cast<std::int16_t>(data[k] | (data[k + 1] << 8)));
    return samples;
}

std::vector<std::int16_t> tone(int count, double hz = 440.0, double amplitude = 8000.0)
{
    std::vector<std::int16_t> s;
    for (int n = 0; n < count; ++n)
        s.push_back(static_cast<std::int16_t>(amplitude * std::sin(2 * M_PI * hz * n / 8000.0)));
    return s;
}

std::vector<std::uint8_t> encodeAll(const AudioCodec& codec, CodecState& state,
                                    const std::vector<std::int16_t>& samples)
{
    auto pcm = toPcm(samples);
    InputDescriptor in{pcm.data(), 0, pcm.size()};
    ByteBuffer out;
    codec.encode(in, out, state);
    codec.finish(out, state);
    return {out.data(), out.data() + out.size()};
}

std::vector<std::int16_t> decodeAll(const AudioCodec& codec, CodecState& state,
                                    const std::vector<std::uint8_t>& bytes)
{
    InputDescriptor in{bytes.data(), 0, bytes.size()};
    ByteBuffer out;
    codec.decode(in, out, state);
    codec.finish(out, state);
    return fromPcm(out.data(), out.size());
}

// Ratio of the error energy to the signal energy.
double relativeError(const std::vector<std::int16_t>& ref, const std::vector<std::int16_t>& got)
{
    double err = 0, sig = 0;
    for (std::size_t k = 0; k < ref.size() && k < got.size(); ++k) {
        err += std::pow(double(ref[k]) - got[k], 2);
        sig += std::pow(double(ref[k]), 2);
    }
    return sig > 0 ? err / sig : 1.0;
}

TEST(AudioCodec, RecordsExistForTheFiveTypesOnly)
{
    EXPECT_FALSE(AudioCodec::create(-1));
    EXPECT_FALSE(AudioCodec::create(5));
    int bits[] = {8, 8, 4, 3, 5};
    for (int type = 0; type <= 4; ++type) {
        auto codec = AudioCodec::create(type);
        ASSERT_TRUE(codec);
        EXPECT_EQ(codec->bitsPerCode(), bits[type]);
    }
    EXPECT_EQ(AudioCodec::create(2)->contentName(), "audio/32KADPCM");
    EXPECT_EQ(AudioCodec::create(2)->parameterValue(), "G721");
    EXPECT_EQ(AudioCodec::create(3)->contentName(), "audio/G723");
    EXPECT_EQ(AudioCodec::create(3)->parameterValue(), "G723");
}

TEST(AudioCodec, G711CodesSurviveExpansionAndCompression)
{
    for (int code = 0; code < 256; ++code) {
        auto c = static_cast<std::uint8_t>(code);
        EXPECT_EQ(linearToAlaw(alawToLinear(c)), c) << code;
        if (code != 0x7f) { // negative zero compresses to positive zero
            EXPECT_EQ(linearToUlaw(ulawToLinear(c)), c) << code;
        }
    }
    EXPECT_EQ(ulawToLinear(0x00), -32124);
    EXPECT_EQ(alawToLinear(0xaa), 32256);
    EXPECT_EQ(linearToUlaw(32767), 0x80);
    EXPECT_EQ(linearToAlaw(-32768), 0x2a);
}

TEST(AudioCodec, G711EncodeAndDecodeWholeBuffers)
{
    auto codec = AudioCodec::create(1);
    auto state = codec->createState();
    auto samples = tone(100);
    auto bytes = encodeAll(*codec, *state, samples);
    ASSERT_EQ(bytes.size(), 100u);
    auto back = decodeAll(*codec, *state, bytes);
    ASSERT_EQ(back.size(), 100u);
    EXPECT_LT(relativeError(samples, back), 0.01);
}

TEST(AudioCodec, ThreeBitEncodeEndsOnAByteBoundaryWithZeroCodes)
{
    auto codec = AudioCodec::create(3);
    auto state = codec->createState();
    auto samples = tone(10, 1000.0, 12000.0);
    auto bytes = encodeAll(*codec, *state, samples);
    // 10 codes are 30 bits; six zero codes make 48.
    ASSERT_EQ(bytes.size(), 6u);
    EXPECT_EQ(state->pendingEncodeBits(), 0);

    // The padding codes sit in the high bits of the last two bytes.
    EXPECT_EQ(bytes[3] & 0xc0, 0);
    EXPECT_EQ(bytes[4], 0);
    EXPECT_EQ(bytes[5], 0);

    // The first code is in the low bits of the first byte: a fresh encoder gives it alone.
    G726 reference(3);
    int first = reference.encode(samples[0]);
    EXPECT_EQ(bytes[0] & 0x07, first);
    int second = reference.encode(samples[1]);
    EXPECT_EQ((bytes[0] >> 3) & 0x07, second);
}

TEST(AudioCodec, EncodeResetsTheOutputAndDecodeWritesFromTheStart)
{
    auto codec = AudioCodec::create(2);
    auto state = codec->createState();
    auto pcm = toPcm(tone(64));
    ByteBuffer out;
    InputDescriptor first{pcm.data(), 0, pcm.size()};
    codec->encode(first, out, *state);
    EXPECT_EQ(out.size(), 32u);
    InputDescriptor second{pcm.data(), 0, pcm.size()};
    codec->encode(second, out, *state);
    EXPECT_EQ(out.size(), 32u);
    EXPECT_EQ(second.position, pcm.size());

    auto decState = codec->createState();
    InputDescriptor codes{out.data(), 0, out.size()};
    ByteBuffer pcmOut;
    codec->decode(codes, pcmOut, *decState);
    EXPECT_EQ(pcmOut.size(), 128u);
    InputDescriptor again{out.data(), 0, out.size()};
    codec->decode(again, pcmOut, *decState);
    EXPECT_EQ(pcmOut.size(), 128u);
}

TEST(AudioCodec, SplitDecodeEqualsJoinedDecode)
{
    for (int type : {2, 3, 4}) {
        auto codec = AudioCodec::create(type);
        auto encState = codec->createState();
        auto bytes = encodeAll(*codec, *encState, tone(801, 300.0));

        auto joinedState = codec->createState();
        auto joined = decodeAll(*codec, *joinedState, bytes);

        // Split inside a code: 3- and 5-bit codes straddle bytes.
        auto splitState = codec->createState();
        std::size_t cut = 7;
        std::vector<std::uint8_t> head(bytes.begin(), bytes.begin() + cut);
        std::vector<std::uint8_t> tail(bytes.begin() + cut, bytes.end());
        auto split = decodeAll(*codec, *splitState, head);
        EXPECT_EQ(split.size(), cut * 8 / codec->bitsPerCode()) << type;
        auto rest = decodeAll(*codec, *splitState, tail);
        split.insert(split.end(), rest.begin(), rest.end());
        EXPECT_EQ(split, joined) << "type " << type;
        EXPECT_EQ(joined.size(), bytes.size() * 8 / codec->bitsPerCode());
    }
}

TEST(AudioCodec, AdpcmRoundTripFollowsTheSignal)
{
    auto samples = tone(4000, 440.0);
    double limits[] = {0, 0, 0.02, 0.08, 0.01};
    for (int type : {2, 3, 4}) {
        auto codec = AudioCodec::create(type);
        auto encState = codec->createState();
        auto decState = codec->createState();
        auto back = decodeAll(*codec, *decState, encodeAll(*codec, *encState, samples));
        // Skip the start-up of the adaptation.
        std::vector<std::int16_t> ref(samples.begin() + 400, samples.end());
        std::vector<std::int16_t> got(back.begin() + 400, back.begin() + samples.size());
        EXPECT_LT(relativeError(ref, got), limits[type]) << "type " << type;
    }
}

TEST(AudioCodec, PackingOrderMatchesLittleEndianG726OfFfmpeg)
{
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ffmpeg not installed";
    auto dir =
        std::filesystem::temp_directory_path() / ("codec-packing-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    auto samples = tone(8000, 440.0);
    for (int type : {2, 3, 4}) {
        auto codec = AudioCodec::create(type);
        auto state = codec->createState();
        auto bytes = encodeAll(*codec, *state, samples);
        auto in = dir / "in.g726";
        auto out = dir / "out.raw";
        std::ofstream(in, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        std::string cmd = "ffmpeg -loglevel error -y -f g726le -code_size " +
                          std::to_string(codec->bitsPerCode()) + " -sample_rate 8000 -i " +
                          in.string() + " -f s16le -acodec pcm_s16le " + out.string();
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
        std::ifstream raw(out, std::ios::binary);
        std::vector<std::uint8_t> pcm((std::istreambuf_iterator<char>(raw)), {});
        auto decoded = fromPcm(pcm.data(), pcm.size());
        ASSERT_GE(decoded.size(), 4000u);
        // Not bit-exact (its 40 kbit/s decoder strays furthest), but read in any other bit
        // order the same bytes give errors above 0.06 (4-bit) and near 10 (3- and 5-bit).
        std::vector<std::int16_t> ref(samples.begin() + 400, samples.begin() + 4000);
        std::vector<std::int16_t> got(decoded.begin() + 400, decoded.begin() + 4000);
        double limit = type == 4 ? 0.5 : 0.01;
        EXPECT_LT(relativeError(ref, got), limit) << "type " << type;
    }
    std::filesystem::remove_all(dir);
}

TEST(ByteBuffer, StartsAt1024AndDoublesWhenFull)
{
    ByteBuffer buffer;
    EXPECT_EQ(buffer.capacity(), 1024u);
    EXPECT_EQ(buffer.data()[1023], 0);
    for (int k = 0; k < 1024; ++k)
        ASSERT_TRUE(buffer.append(static_cast<std::uint8_t>(k)));
    EXPECT_EQ(buffer.capacity(), 1024u);
    ASSERT_TRUE(buffer.append(0xab));
    EXPECT_EQ(buffer.capacity(), 2048u);
    EXPECT_EQ(buffer.size(), 1025u);
    EXPECT_EQ(buffer.data()[1000], static_cast<std::uint8_t>(1000));
    EXPECT_EQ(buffer.data()[1024], 0xab);
    buffer.clear();
    EXPECT_EQ(buffer.size(), 0u);
    EXPECT_EQ(buffer.capacity(), 2048u);
}

} // namespace
