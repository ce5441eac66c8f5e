#include "testsupport/AudioCoding.h"

#include <cmath>
#include <numbers>

namespace audiotest {

using orvel::codec::AudioCodec;
using orvel::codec::ByteBuffer;
using orvel::codec::InputDescriptor;

std::vector<std::int16_t> pcmSamples(std::span<const std::uint8_t> bytes)
{
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return samples;
}

std::vector<std::int16_t> decodeCodes(orvel::codec::CodecType type, std::string_view codes)
{
    AudioCodec codec = *AudioCodec::create(static_cast<int>(type));
    auto state = codec.createState();
    ByteBuffer pcm;
    InputDescriptor input{reinterpret_cast<const std::uint8_t*>(codes.data()), 0, codes.size()};
    codec.decode(input, pcm, *state);
    return pcmSamples({pcm.data(), pcm.size()});
}

std::vector<std::string> encodeBlocks(orvel::codec::CodecType type,
                                      const std::function<std::int16_t(std::uint64_t)>& signal,
                                      int blocks, int blockSamples)
{
    AudioCodec codec = *AudioCodec::create(static_cast<int>(type));
    auto state = codec.createState();
    std::vector<std::string> out;
    std::uint64_t n = 0;
    std::vector<std::uint8_t> pcm;
    for (int b = 0; b < blocks; ++b) {
        pcm.clear();
        for (int i = 0; i < blockSamples; ++i) {
            const auto value = static_cast<std::uint16_t>(signal(n++));
            pcm.push_back(static_cast<std::uint8_t>(value & 0xff));
            pcm.push_back(static_cast<std::uint8_t>(value >> 8));
        }
        ByteBuffer codes;
        InputDescriptor input{pcm.data(), 0, pcm.size()};
        codec.encode(input, codes, *state);
        out.emplace_back(reinterpret_cast<const char*>(codes.data()), codes.size());
    }
    return out;
}

std::int16_t sine(double hz, int amplitude, std::uint64_t n)
{
    return static_cast<std::int16_t>(
        std::lround(amplitude * std::sin(2 * std::numbers::pi * hz * double(n) / 8000)));
}

} // namespace audiotest
