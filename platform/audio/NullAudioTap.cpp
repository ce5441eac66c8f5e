#include "platform/audio/NullAudioTap.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace orvel::audio {
namespace {

// A bound on what is kept, so a forgotten tap cannot eat the memory: 10 minutes of sound.
constexpr std::size_t kMaxPlayedBytes = 10 * 60 * 16000;

struct TapState {
    std::mutex mutex;
    bool recording = false;                              // guarded by mutex
    std::vector<std::uint8_t> played;                    // guarded by mutex
    std::shared_ptr<NullAudioTap::CaptureSource> source; // guarded by mutex
    std::atomic<bool> paced{true};
};

TapState& state()
{
    // Leaked on purpose: devices may still run while statics are destroyed.
    static TapState* s = new TapState;
    return *s;
}

} // namespace

void NullAudioTap::recordPlayback(bool on)
{
    std::lock_guard lock(state().mutex);
    state().recording = on;
    if (on)
        state().played.clear();
}

std::vector<std::uint8_t> NullAudioTap::played()
{
    std::lock_guard lock(state().mutex);
    return state().played;
}

std::size_t NullAudioTap::playedBytes()
{
    std::lock_guard lock(state().mutex);
    return state().played.size();
}

void NullAudioTap::setCaptureSource(CaptureSource source)
{
    std::shared_ptr<CaptureSource> next;
    if (source)
        next = std::make_shared<CaptureSource>(std::move(source));
    std::lock_guard lock(state().mutex);
    state().source = std::move(next);
}

void NullAudioTap::setCapturePaced(bool paced)
{
    state().paced = paced;
}

bool NullAudioTap::capturePaced()
{
    return state().paced;
}

void NullAudioTap::onPlayed(const std::uint8_t* data, std::size_t length)
{
    std::lock_guard lock(state().mutex);
    if (!state().recording || !data)
        return;
    const std::size_t room = kMaxPlayedBytes - std::min(kMaxPlayedBytes, state().played.size());
    state().played.insert(state().played.end(), data, data + std::min(room, length));
}

bool NullAudioTap::capture(std::uint8_t* data, std::size_t length)
{
    std::shared_ptr<CaptureSource> source;
    {
        std::lock_guard lock(state().mutex);
        source = state().source;
    }
    // Called outside the lock: the source may take its time.
    if (!source)
        return false;
    (*source)(data, length);
    return true;
}

} // namespace orvel::audio
