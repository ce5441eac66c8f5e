#pragma once
// The camera's audio parameter list ("root.Audiod." lines of key=value) and what each entry
// sets. Parsing is lenient by design: a line, key or value it does not know changes nothing.

#include "media/codec/AudioCodec.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace pictra {

enum class DuplexMode { Full = 0, Half = 1, ListenOnly = 2, TalkOnly = 3, Disabled = 4 };
enum class ButtonMode { Toggle = 0, Instant = 1 };
enum class HttpMessageType { Singlepart = 0, Multipart = 1 };

struct AudioParameters {
    DuplexMode duplexMode = DuplexMode::Full;
    long maxNumberOfClients = 0;
    long connectedClients = 0;
    long connectedPostClients = 0;
    ButtonMode buttonMode = ButtonMode::Toggle;
    orvel::codec::CodecType encoding = orvel::codec::CodecType::G721;
    HttpMessageType messageType = HttpMessageType::Multipart;
    bool microphoneMuted = true;
    bool microphoneForced = false;
    bool speakerMuted = false;
    bool speakerForced = false;
    long bufferLevel = 0;
    bool bufferLevelForced = false;

    // The camera's own rule, kept as it is: a slot is free unless the listeners (all clients
    // less the talkers) number exactly the maximum.
    // Counts from the camera may be anything: a difference out of range equals no maximum.
    bool listenerSlotFree() const
    {
        long listeners = 0;
        return __builtin_sub_overflow(connectedClients, connectedPostClients, &listeners) ||
               maxNumberOfClients != listeners;
    }
};

// Sets the fields the text names; the rest keep their values. Linear in the text.
void parseAudioParameters(std::string_view text, AudioParameters& parameters);

// The connection-speed list of the sound panel: its index chooses the playback depth.
struct ConnectionSpeed {
    const char* text;
    int playbackBlocks;
};
inline constexpr std::array<ConnectionSpeed, 4> kConnectionSpeeds{{
    {"   ~0.2 Mbit/s", 15},
    {"   ~0.5 Mbit/s", 10},
    {"   ~1.0 Mbit/s", 8},
    {"   Unlimited", 6},
}};
inline constexpr int kInitialSpeedIndex = 3;

} // namespace pictra
