#include "platform/audio/AudioDevice.h"

#include "platform/audio/NullAudioTap.h"

#include <algorithm>
#include <alsa/asoundlib.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string_view>

namespace orvel::audio {

namespace {

using Clock = std::chrono::steady_clock;

// Keeps time itself: ALSA's own "null" device returns at once, which would let a caller's
// queue drain instantly and hide every full-queue path.
class NullDevice final : public PcmDevice {
public:
    NullDevice(const WaveFormat& format, Direction direction)
        : m_format(format), m_direction(direction)
    {}

    std::size_t transfer(std::uint8_t* data, std::size_t length) override
    {
        std::unique_lock lock(m_mutex);
        if (m_direction == Direction::Capture && !NullAudioTap::capturePaced()) {
            if (m_interrupted)
                return 0;
            lock.unlock();
            if (data && !NullAudioTap::capture(data, length))
                std::memset(data, 0, length);
            return length;
        }
        const auto now = Clock::now();
        if (m_next < now)
            m_next = now;
        const auto bytesPerSecond = std::max(m_format.bytesPerSecond(), 1);
        m_next +=
            std::chrono::microseconds(static_cast<long long>(length) * 1000000 / bytesPerSecond);
        if (m_wake.wait_until(lock, m_next, [&] { return m_interrupted; }))
            return 0;
        lock.unlock();
        if (m_direction == Direction::Capture && data && !NullAudioTap::capture(data, length))
            std::memset(data, 0, length);
        if (m_direction == Direction::Playback)
            NullAudioTap::onPlayed(data, length);
        return length;
    }

    void interrupt() override
    {
        std::lock_guard lock(m_mutex);
        m_interrupted = true;
        m_wake.notify_all();
    }

    void restart() override
    {
        std::lock_guard lock(m_mutex);
        m_interrupted = false;
        m_next = Clock::time_point{};
    }

    bool isNull() const override { return true; }

private:
    const WaveFormat m_format;
    const Direction m_direction;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    Clock::time_point m_next{}; // guarded by m_mutex: when the queued samples end
    bool m_interrupted = false; // guarded by m_mutex
};

class AlsaDevice final : public PcmDevice {
public:
    static std::unique_ptr<AlsaDevice> open(const WaveFormat& format, Direction direction)
    {
        snd_pcm_t* pcm = nullptr;
        auto stream =
            direction == Direction::Playback ? SND_PCM_STREAM_PLAYBACK : SND_PCM_STREAM_CAPTURE;
        if (snd_pcm_open(&pcm, "default", stream, 0) < 0)
            return nullptr;
        snd_pcm_format_t sampleFormat =
            format.bitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
        // 100 ms of latency: enough to ride out scheduling, short enough for live sound.
        if (snd_pcm_set_params(pcm, sampleFormat, SND_PCM_ACCESS_RW_INTERLEAVED,
                               static_cast<unsigned>(format.channels),
                               static_cast<unsigned>(format.samplesPerSecond), 1, 100000) < 0) {
            snd_pcm_close(pcm);
            return nullptr;
        }
        return std::unique_ptr<AlsaDevice>(new AlsaDevice(pcm, format, direction));
    }

    ~AlsaDevice() override { snd_pcm_close(m_pcm); }

    std::size_t transfer(std::uint8_t* data, std::size_t length) override
    {
        const std::size_t frameBytes = static_cast<std::size_t>(std::max(m_format.blockAlign(), 1));
        // 20 ms at a time, so a stop is seen between chunks.
        const auto chunkFrames =
            static_cast<snd_pcm_uframes_t>(std::max(m_format.samplesPerSecond / 50, 1));
        std::size_t done = 0;
        while (done + frameBytes <= length && !m_interrupted.load()) {
            auto frames = std::min<snd_pcm_uframes_t>(chunkFrames, (length - done) / frameBytes);
            snd_pcm_sframes_t n = m_direction == Direction::Playback
                                      ? snd_pcm_writei(m_pcm, data + done, frames)
                                      : snd_pcm_readi(m_pcm, data + done, frames);
            if (n < 0) {
                if (snd_pcm_recover(m_pcm, static_cast<int>(n), 1) < 0)
                    break;
                continue;
            }
            done += static_cast<std::size_t>(n) * frameBytes;
        }
        return done;
    }

    void interrupt() override { m_interrupted = true; }
    void restart() override
    {
        snd_pcm_drop(m_pcm);
        snd_pcm_prepare(m_pcm);
        m_interrupted = false;
    }
    bool isNull() const override { return false; }

private:
    AlsaDevice(snd_pcm_t* pcm, const WaveFormat& format, Direction direction)
        : m_pcm(pcm), m_format(format), m_direction(direction)
    {}

    snd_pcm_t* m_pcm;
    const WaveFormat m_format;
    const Direction m_direction;
    std::atomic_bool m_interrupted{false};
};

} // namespace

bool soundCardAvailable()
{
    if (const char* forced = std::getenv("ORVEL_AUDIO");
        forced && std::string_view(forced) == "null")
        return false;
    int card = -1;
    return snd_card_next(&card) == 0 && card >= 0;
}

std::unique_ptr<PcmDevice> openPcmDevice(const WaveFormat& format, Direction direction,
                                         DeviceChoice choice)
{
    if (choice == DeviceChoice::Default && soundCardAvailable()) {
        if (auto alsa = AlsaDevice::open(format, direction))
            return alsa;
    }
    return std::make_unique<NullDevice>(format, direction);
}

} // namespace orvel::audio
