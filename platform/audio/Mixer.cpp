#include "platform/audio/Mixer.h"

#include "platform/audio/AudioDevice.h"

#include <algorithm>
#include <alsa/asoundlib.h>
#include <map>
#include <mutex>
#include <vector>

namespace orvel::audio {

namespace {

constexpr DWORD kMaxVolume = 65535;

// The listeners and the fallback volume of one line, shared by every Mixer of the process.
struct LineState {
    // Held while notifying, so unsubscribe waits for a running call; recursive so a listener
    // may read the volume.
    std::recursive_mutex mutex;
    DWORD volume = kMaxVolume;
    std::map<int, Mixer::ChangeCallback> listeners;
    int nextId = 1;
};

LineState& lineState(MixerLine line)
{
    // Leaked on purpose: listeners may unsubscribe from static destructors of their own.
    static LineState* states = new LineState[2];
    return states[line == MixerLine::Output ? 0 : 1];
}

class LineMixer : public Mixer {
public:
    explicit LineMixer(MixerLine line) : m_state(lineState(line)) {}

    int subscribe(ChangeCallback callback) override
    {
        std::lock_guard lock(m_state.mutex);
        int id = m_state.nextId++;
        m_state.listeners.emplace(id, std::move(callback));
        return id;
    }
    void unsubscribe(int id) override
    {
        std::lock_guard lock(m_state.mutex);
        m_state.listeners.erase(id);
    }

protected:
    // Call with m_state.mutex held.
    void notify(DWORD volume)
    {
        for (auto& [id, callback] : m_state.listeners)
            callback(volume);
    }

    LineState& m_state;
};

class NullMixer final : public LineMixer {
public:
    using LineMixer::LineMixer;

    DWORD volume() const override
    {
        std::lock_guard lock(m_state.mutex);
        return m_state.volume;
    }
    bool setVolume(DWORD volume) override
    {
        volume = std::min(volume, kMaxVolume);
        std::lock_guard lock(m_state.mutex);
        if (m_state.volume != volume) {
            m_state.volume = volume;
            notify(volume);
        }
        return true;
    }
};

class AlsaMixer final : public LineMixer {
public:
    static std::unique_ptr<AlsaMixer> open(MixerLine line)
    {
        snd_mixer_t* mixer = nullptr;
        if (snd_mixer_open(&mixer, 0) < 0)
            return nullptr;
        if (snd_mixer_attach(mixer, "default") < 0 ||
            snd_mixer_selem_register(mixer, nullptr, nullptr) < 0 || snd_mixer_load(mixer) < 0) {
            snd_mixer_close(mixer);
            return nullptr;
        }
        snd_mixer_selem_id_t* id = nullptr;
        snd_mixer_selem_id_alloca(&id);
        snd_mixer_selem_id_set_name(id, line == MixerLine::Output ? "Master" : "Capture");
        snd_mixer_elem_t* elem = snd_mixer_find_selem(mixer, id);
        if (!elem) {
            snd_mixer_close(mixer);
            return nullptr;
        }
        return std::unique_ptr<AlsaMixer>(new AlsaMixer(line, mixer, elem));
    }
    ~AlsaMixer() override { snd_mixer_close(m_mixer); }

    DWORD volume() const override
    {
        std::lock_guard lock(m_state.mutex);
        return read();
    }
    bool setVolume(DWORD volume) override
    {
        volume = std::min(volume, kMaxVolume);
        std::lock_guard lock(m_state.mutex);
        DWORD before = read();
        long value =
            m_min +
            static_cast<long>((static_cast<long long>(volume) * (m_max - m_min) + kMaxVolume / 2) /
                              kMaxVolume);
        int rc = m_line == MixerLine::Output
                     ? snd_mixer_selem_set_playback_volume_all(m_elem, value)
                     : snd_mixer_selem_set_capture_volume_all(m_elem, value);
        if (rc < 0)
            return false;
        DWORD after = read();
        if (after != before)
            notify(after);
        return true;
    }

private:
    AlsaMixer(MixerLine line, snd_mixer_t* mixer, snd_mixer_elem_t* elem)
        : LineMixer(line), m_line(line), m_mixer(mixer), m_elem(elem)
    {
        if (line == MixerLine::Output)
            snd_mixer_selem_get_playback_volume_range(elem, &m_min, &m_max);
        else
            snd_mixer_selem_get_capture_volume_range(elem, &m_min, &m_max);
        if (m_max <= m_min)
            m_max = m_min + 1;
    }

    DWORD read() const
    {
        snd_mixer_handle_events(m_mixer);
        long value = m_min;
        if (m_line == MixerLine::Output)
            snd_mixer_selem_get_playback_volume(m_elem, SND_MIXER_SCHN_FRONT_LEFT, &value);
        else
            snd_mixer_selem_get_capture_volume(m_elem, SND_MIXER_SCHN_FRONT_LEFT, &value);
        return static_cast<DWORD>(
            (static_cast<long long>(value - m_min) * kMaxVolume + (m_max - m_min) / 2) /
            (m_max - m_min));
    }

    MixerLine m_line;
    snd_mixer_t* m_mixer;
    snd_mixer_elem_t* m_elem;
    long m_min = 0;
    long m_max = 1;
};

} // namespace

std::unique_ptr<Mixer> Mixer::open(MixerLine line)
{
    if (soundCardAvailable())
        if (auto alsa = AlsaMixer::open(line))
            return alsa;
    return std::make_unique<NullMixer>(line);
}

} // namespace orvel::audio
