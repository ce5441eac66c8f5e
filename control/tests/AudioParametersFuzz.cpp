// Parameter lists from anywhere: parsing neither crashes nor reads out of bounds, leaves every
// field in its range, and reading the same list twice changes nothing more.

#include "control/AudioParameters.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

bool inRange(const pictra::AudioParameters& p)
{
    using orvel::codec::CodecType;
    return static_cast<int>(p.duplexMode) >= 0 && static_cast<int>(p.duplexMode) <= 4 &&
           (p.encoding == CodecType::G721 || p.encoding == CodecType::G723_24) &&
           static_cast<int>(p.buttonMode) >= 0 && static_cast<int>(p.buttonMode) <= 1 &&
           static_cast<int>(p.messageType) >= 0 && static_cast<int>(p.messageType) <= 1;
}

bool same(const pictra::AudioParameters& a, const pictra::AudioParameters& b)
{
    return a.duplexMode == b.duplexMode && a.maxNumberOfClients == b.maxNumberOfClients &&
           a.connectedClients == b.connectedClients &&
           a.connectedPostClients == b.connectedPostClients && a.buttonMode == b.buttonMode &&
           a.encoding == b.encoding && a.messageType == b.messageType &&
           a.microphoneMuted == b.microphoneMuted && a.microphoneForced == b.microphoneForced &&
           a.speakerMuted == b.speakerMuted && a.speakerForced == b.speakerForced &&
           a.bufferLevel == b.bufferLevel && a.bufferLevelForced == b.bufferLevelForced;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    pictra::AudioParameters once;
    pictra::parseAudioParameters(text, once);
    if (!inRange(once))
        std::abort();
    // The camera's counts are its own: the slot rule must hold for any of them.
    volatile bool slotFree = once.listenerSlotFree();
    (void)slotFree;
    pictra::AudioParameters twice = once;
    pictra::parseAudioParameters(text, twice);
    if (!same(once, twice))
        std::abort();
    return 0;
}
