#pragma once
// The sound a simulated camera's microphone hears, a sine tone, coded into stream parts with
// our codec. One encoder per stream, its state carried from part to part, so that the parts
// decode as one signal; the tone starts at sample 0 on every stream.

#include "media/codec/AudioCodec.h"
#include "tools/camsim/CamSimConfig.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace camsim {

// Sample n of the tone, 8000 samples a second.
std::int16_t toneSample(const AudioConfig& config, std::uint64_t n);

orvel::codec::CodecType codecTypeOf(AudioEncoding encoding);
// "audio/32KADPCM" or "audio/G723".
std::string_view audioContentType(AudioEncoding encoding);

class ToneEncoder {
public:
    explicit ToneEncoder(const AudioConfig& config);

    // The codes of the next config.partSamples samples; valid until the next call.
    std::string_view nextPart();

private:
    const AudioConfig& m_config;
    orvel::codec::AudioCodec m_codec;
    std::unique_ptr<orvel::codec::CodecState> m_state;
    orvel::codec::ByteBuffer m_codes;
    std::vector<std::uint8_t> m_pcm;
    std::uint64_t m_next = 0; // first sample of the next part
};

} // namespace camsim
