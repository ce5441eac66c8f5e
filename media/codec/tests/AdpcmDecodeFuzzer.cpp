// Camera sound is outside input: any bytes decode with every codec type, split at any point,
// the same as in one call.

#include "media/codec/AudioCodec.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    auto codec = orvel::codec::AudioCodec::create(data[0] % 5);
    const std::size_t cut = 2 + (size > 2 ? data[1] % (size - 2 + 1) : 0);
    const std::uint8_t* codes = data + 2;
    const std::size_t count = size - 2;
    const std::size_t first = cut - 2;

    auto joinedState = codec->createState();
    orvel::codec::InputDescriptor all{codes, 0, count};
    orvel::codec::ByteBuffer joined;
    codec->decode(all, joined, *joinedState);

    auto splitState = codec->createState();
    orvel::codec::InputDescriptor head{codes, 0, first};
    orvel::codec::ByteBuffer split, rest;
    codec->decode(head, split, *splitState);
    orvel::codec::InputDescriptor tail{codes + first, 0, count - first};
    codec->decode(tail, rest, *splitState);
    if (split.size() + rest.size() != joined.size() ||
        std::memcmp(split.data(), joined.data(), split.size()) != 0 ||
        std::memcmp(rest.data(), joined.data() + split.size(), rest.size()) != 0)
        std::abort();

    // Encoding what came out ends on a byte boundary.
    auto encState = codec->createState();
    orvel::codec::InputDescriptor pcm{joined.data(), 0, joined.size()};
    orvel::codec::ByteBuffer encoded;
    codec->encode(pcm, encoded, *encState);
    if (encState->pendingEncodeBits() != 0)
        std::abort();
    return 0;
}
