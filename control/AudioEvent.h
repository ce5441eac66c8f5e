#pragma once
// What the audio threads (the client's callback and request threads, the single-part reader,
// the capture thread, the mixer) tell the control's window thread, as posted Qt events: the
// window thread alone shows messages, touches the panel and starts or stops anything.

// Posts go through postEventSynced; the window calls syncPostedEvents() before it reads one.
#include "platform/ui/PostedEvents.h"

#include <QEvent>
#include <mutex>

class QObject;

namespace pictra {

inline constexpr QEvent::Type kAudioEvent = QEvent::Type(QEvent::User + 1100);

enum class AudioNotice {
    NewSoundSample, // 1026: fire OnNewSoundSample
    OutputLevel,    // value: 0..8
    InputLevel,     // value: 0..8
    WaveProblem,    // value: a WaveProblem
    SoundStatus,    // value: the sound request's connection status (21, 51)
    UploadFailed,   // value: the HTTP layer's error number
    UploadRenew,    // the POST nears its declared size
    VolumeChanged,  // 1028; value: 1 input, 0 output
};

enum class WaveProblem { Initializing, Preparing, Writing };

class AudioEvent final : public QEvent {
public:
    AudioEvent(AudioNotice notice, int value)
        : QEvent(kAudioEvent), m_notice(notice), m_value(value)
    {}
    AudioNotice notice() const { return m_notice; }
    int value() const { return m_value; }

private:
    AudioNotice m_notice;
    int m_value;
};

// Posts to the control's window while it exists. Any thread.
class AudioPoster {
public:
    // Window thread; null stops the events. Excludes post, so nothing reaches a window being
    // destroyed.
    void setWindow(QObject* window);
    void post(AudioNotice notice, int value = 0);

private:
    std::mutex m_mutex;
    QObject* m_window = nullptr; // guarded by m_mutex
};

} // namespace pictra
