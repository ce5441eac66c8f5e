#include "media/codec/AudioCodec.h"

#include "media/codec/G711.h"

namespace orvel::codec {

namespace {

int bitsOf(CodecType type)
{
    switch (type) {
    case CodecType::G721:
        return 4;
    case CodecType::G723_24:
        return 3;
    case CodecType::G723_40:
        return 5;
    default:
        return 8;
    }
}

bool isAdpcm(CodecType type)
{
    return type == CodecType::G721 || type == CodecType::G723_24 || type == CodecType::G723_40;
}

} // namespace

CodecState::CodecState(CodecType type) : m_type(type)
{
    if (isAdpcm(type))
        m_adpcm.emplace(bitsOf(type));
}

std::optional<AudioCodec> AudioCodec::create(int type)
{
    if (type < 0 || type > 4)
        return std::nullopt;
    return AudioCodec(static_cast<CodecType>(type));
}

int AudioCodec::bitsPerCode() const
{
    return bitsOf(m_type);
}

std::string_view AudioCodec::contentName() const
{
    if (m_type == CodecType::G721)
        return "audio/32KADPCM";
    if (m_type == CodecType::G723_24)
        return "audio/G723";
    return {};
}

std::string_view AudioCodec::parameterValue() const
{
    if (m_type == CodecType::G721)
        return "G721";
    if (m_type == CodecType::G723_24)
        return "G723";
    return {};
}

std::unique_ptr<CodecState> AudioCodec::createState() const
{
    return std::make_unique<CodecState>(m_type);
}

void AudioCodec::packCode(ByteBuffer& output, CodecState& state, int code) const
{
    state.m_encodeWord |= static_cast<std::uint32_t>(code) << state.m_encodeCount;
    state.m_encodeCount += bitsPerCode();
    while (state.m_encodeCount >= 8) {
        output.append(static_cast<std::uint8_t>(state.m_encodeWord & 0xff));
        state.m_encodeWord >>= 8;
        state.m_encodeCount -= 8;
    }
}

int AudioCodec::encode(InputDescriptor& input, ByteBuffer& output, CodecState& state) const
{
    output.clear();
    while (input.data && input.position + 1 < input.size) {
        auto lo = input.data[input.position];
        auto hi = input.data[input.position + 1];
        input.position += 2;
        int sample = static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
        switch (m_type) {
        case CodecType::MuLaw:
            output.append(linearToUlaw(sample));
            break;
        case CodecType::ALaw:
            output.append(linearToAlaw(sample));
            break;
        default:
            packCode(output, state, state.m_adpcm->encode(sample));
            break;
        }
    }
    // Zero codes up to the byte boundary, so every call's output stands on its own.
    if (isAdpcm(m_type)) {
        while (state.m_encodeCount != 0)
            packCode(output, state, 0);
        state.m_encodeWord = 0;
    }
    return 0;
}

int AudioCodec::decode(InputDescriptor& input, ByteBuffer& output, CodecState& state) const
{
    output.clear();
    if (!isAdpcm(m_type)) {
        while (input.data && input.position < input.size) {
            std::uint8_t code = input.data[input.position++];
            output.appendSample(m_type == CodecType::MuLaw ? ulawToLinear(code)
                                                           : alawToLinear(code));
        }
        return 0;
    }
    const int bits = bitsPerCode();
    const std::uint32_t mask = (1u << bits) - 1;
    for (;;) {
        if (state.m_decodeCount < bits) {
            if (!input.data || input.position >= input.size)
                break; // the partial code waits for the next call
            state.m_decodeWord |= static_cast<std::uint32_t>(input.data[input.position++])
                                  << state.m_decodeCount;
            state.m_decodeCount += 8;
        }
        int code = static_cast<int>(state.m_decodeWord & mask);
        state.m_decodeWord >>= bits;
        state.m_decodeCount -= bits;
        output.appendSample(state.m_adpcm->decode(code));
    }
    return 0;
}

int AudioCodec::finish(ByteBuffer&, CodecState&) const
{
    return 0;
}

} // namespace orvel::codec
