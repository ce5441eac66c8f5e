#pragma once
// The volume of the sound output or of the capture line, 0 to 65535, with change notices.
// With a sound card it is the card's "Master" (output) or "Capture" control; without one a
// process-wide value per line, so every Mixer of the process sees the same volume and hears of
// each other's changes.

#include "platform/base/WinTypes.h"

#include <functional>
#include <memory>

namespace orvel::audio {

enum class MixerLine { Output, Input };

class Mixer {
public:
    // Called with the new volume, on the thread that changed it.
    using ChangeCallback = std::function<void(DWORD volume)>;

    static std::unique_ptr<Mixer> open(MixerLine line);
    virtual ~Mixer() = default;

    virtual DWORD volume() const = 0;
    // Clamped to 65535. Notifies every listener of the line when the value changes.
    virtual bool setVolume(DWORD volume) = 0;

    // Returns an id for unsubscribe. A listener is never called after unsubscribe returns.
    virtual int subscribe(ChangeCallback callback) = 0;
    virtual void unsubscribe(int id) = 0;
};

} // namespace orvel::audio
