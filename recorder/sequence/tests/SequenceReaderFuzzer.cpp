// Any bytes as a sequence file, placed in a folder and as a bare name: the reader must stay
// within its buffers and bounds, and what it reports must be consistent.
#include "recorder/sequence/SequenceReader.h"

#include <cstdlib>

namespace {
void check(const SequenceContents& seq, std::size_t size)
{
    if (seq.status == SequenceStatus::Good && seq.framePaths.size() != seq.header.frameCount)
        std::abort();
    if (seq.framePaths.size() > seq.header.frameCount || seq.framePaths.size() > size / 5)
        std::abort(); // an entry takes at least 5 bytes: nothing was invented
    for (const std::string& path : seq.framePaths) {
        if (path.size() + 1 > kMaxSequencePath)
            std::abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    check(parseSequence(bytes, "/var/cams/records/Door_20010503_140509_23.sqj"), size);
    check(parseSequence(bytes, "bare.sqj"), size);
    return 0;
}
