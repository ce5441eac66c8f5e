#pragma once
// Our codec as a test uses it to say what should arrive: PCM bytes to samples, codes decoded
// through one state as a receiver decodes a stream, and a signal coded block by block through
// one state as a sender codes its capture blocks.

#include "media/codec/AudioCodec.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace audiotest {

// 16-bit little-endian PCM; a trailing odd byte is dropped.
std::vector<std::int16_t> pcmSamples(std::span<const std::uint8_t> bytes);

std::vector<std::int16_t> decodeCodes(orvel::codec::CodecType type, std::string_view codes);

// The codes of blocks × blockSamples samples of signal(n), n counting from 0, one string per
// block.
std::vector<std::string> encodeBlocks(orvel::codec::CodecType type,
                                      const std::function<std::int16_t(std::uint64_t)>& signal,
                                      int blocks, int blockSamples);

// round(amplitude · sin(2π · hz · n / 8000))
std::int16_t sine(double hz, int amplitude, std::uint64_t n);

} // namespace audiotest
