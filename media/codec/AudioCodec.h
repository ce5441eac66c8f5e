#pragma once
// The audio codec library: G.711 mu-law and A-law, ADPCM at 32 kbit/s (G.721) and at 24 and
// 40 kbit/s (G.723). A codec record names the type; its state holds the ADPCM predictor and the
// bit packers, so consecutive parts of one stream go through one state.
//
// Packing: codes are packed least significant bits first, the first code in the low bits of
// the first byte. An encode call always ends on a byte boundary by packing zero codes; a decode
// call keeps a partial code pending for the next call.

#include "media/codec/ByteBuffer.h"
#include "media/codec/G726.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

namespace orvel::codec {

enum class CodecType : int {
    MuLaw = 0,
    ALaw = 1,
    G721 = 2,    // 4-bit codes, 32 kbit/s
    G723_24 = 3, // 3-bit codes, 24 kbit/s
    G723_40 = 4, // 5-bit codes, 40 kbit/s
};

// Bytes to read: [data + position, data + size).
struct InputDescriptor {
    const std::uint8_t* data = nullptr;
    std::size_t position = 0;
    std::size_t size = 0;
};

class CodecState {
public:
    explicit CodecState(CodecType type);

    CodecType type() const { return m_type; }
    // Bits still waiting in the packers (tests and diagnostics).
    int pendingEncodeBits() const { return m_encodeCount; }
    int pendingDecodeBits() const { return m_decodeCount; }

private:
    friend class AudioCodec;
    CodecType m_type;
    std::optional<G726> m_adpcm; // types 2 to 4
    std::uint32_t m_encodeWord = 0;
    int m_encodeCount = 0;
    std::uint32_t m_decodeWord = 0;
    int m_decodeCount = 0;
};

class AudioCodec {
public:
    // Types 0 to 4; none for any other.
    static std::optional<AudioCodec> create(int type);

    CodecType type() const { return m_type; }
    int bitsPerCode() const;
    // The camera's content type and parameter value for this codec; empty when it has none.
    std::string_view contentName() const;
    std::string_view parameterValue() const;

    std::unique_ptr<CodecState> createState() const;

    // 16-bit signed little-endian PCM in; the output's used length is reset first. A trailing
    // odd byte is not a sample and is left unread. Returns 0.
    int encode(InputDescriptor& input, ByteBuffer& output, CodecState& state) const;
    // Codes in; 16-bit signed little-endian PCM out, written from length 0. Returns 0.
    int decode(InputDescriptor& input, ByteBuffer& output, CodecState& state) const;
    // Called after every encode and decode; nothing is left to flush. Returns 0.
    int finish(ByteBuffer& output, CodecState& state) const;

private:
    explicit AudioCodec(CodecType type) : m_type(type) {}
    void packCode(ByteBuffer& output, CodecState& state, int code) const;

    CodecType m_type;
};

} // namespace orvel::codec
