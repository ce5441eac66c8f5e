#include "tools/camsim/ToneEncoder.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace camsim {

std::int16_t toneSample(const AudioConfig& config, std::uint64_t n)
{
    constexpr double kRate = 8000.0;
    // The phase wraps per period, so that long streams keep their precision.
    const double cycles = std::fmod(static_cast<double>(n) * config.toneHz / kRate, 1.0);
    const double value = config.toneAmplitude * std::sin(2.0 * std::numbers::pi * cycles);
    return static_cast<std::int16_t>(std::lround(std::clamp(value, -32768.0, 32767.0)));
}

orvel::codec::CodecType codecTypeOf(AudioEncoding encoding)
{
    return encoding == AudioEncoding::G723 ? orvel::codec::CodecType::G723_24
                                           : orvel::codec::CodecType::G721;
}

std::string_view audioContentType(AudioEncoding encoding)
{
    return encoding == AudioEncoding::G723 ? "audio/G723" : "audio/32KADPCM";
}

ToneEncoder::ToneEncoder(const AudioConfig& config)
    : m_config(config),
      m_codec(*orvel::codec::AudioCodec::create(static_cast<int>(codecTypeOf(config.encoding)))),
      m_state(m_codec.createState())
{}

std::string_view ToneEncoder::nextPart()
{
    const auto samples = static_cast<std::size_t>(m_config.partSamples);
    m_pcm.resize(samples * 2);
    for (std::size_t i = 0; i < samples; ++i) {
        const auto value = static_cast<std::uint16_t>(toneSample(m_config, m_next + i));
        m_pcm[2 * i] = static_cast<std::uint8_t>(value & 0xff);
        m_pcm[2 * i + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    m_next += samples;
    orvel::codec::InputDescriptor input{m_pcm.data(), 0, m_pcm.size()};
    m_codec.encode(input, m_codes, *m_state);
    m_codec.finish(m_codes, *m_state);
    return {reinterpret_cast<const char*>(m_codes.data()), m_codes.size()};
}

} // namespace camsim
