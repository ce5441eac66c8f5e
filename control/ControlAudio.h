#pragma once
// The control's two-way audio: the camera's parameters, receive and play, capture and talk,
// the mute, talk and speed choices of the sound panel, the mixer volumes, and what the user
// is told when the camera is full or reconfigured.
//
// Threads: everything here runs on the control's window thread. The audio threads reach it
// only through posted AudioEvents (onEvent).

#include "control/AudioEvent.h"
#include "control/AudioParameters.h"
#include "platform/audio/Mixer.h"

#include <QColor>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace pictra {

class SoundPanel;
class SoundPlayer;
class SoundStream;
class SoundUpload;

// The control's window messages of the audio side.
enum ControlMessage : int {
    kMsgVolumeChanged = 1028,
    kMsgStartReceive = 1029,
    kMsgStartCapture = 1030,
    kMsgSetOutputVolume = 1031,
    kMsgSetInputVolume = 1032,
    kMsgStopReceive = 1033,
    kMsgStopCapture = 1034,
    kMsgSelectSpeed = 1035,
};

// What the sound panel shows and the user changes.
struct PanelState {
    bool speakerMuted = false;
    bool microphoneMuted = true;
    bool speakerForced = false;
    bool microphoneForced = false;
    ButtonMode buttonMode = ButtonMode::Toggle;
    bool talking = false;
    int outputLevel = 0;
    int inputLevel = 0;
    int outputVolume = 100; // percent
    int inputVolume = 100;  // percent
    int speedIndex = kInitialSpeedIndex;
    bool speedForced = false;
};

class ControlAudio {
public:
    struct Host {
        std::function<QWidget*()> window;    // null while the control has none
        std::function<bool()> runMode;       // false in design mode
        std::function<void()> readyComplete; // ready state 4, told to the host
        std::function<void()> repaintControl;
        std::function<QColor()> background; // the host's ambient back colour
    };

    explicit ControlAudio(Host host);
    ~ControlAudio();
    ControlAudio(const ControlAudio&) = delete;
    ControlAudio& operator=(const ControlAudio&) = delete;

    // Property effects.
    void soundUrlSet(const std::string& url);
    void recordSoundUrlSet(const std::string& url) { m_recordUrl = url; }
    void parameterUrlSet(const std::string& url);
    void displayPanelSet(bool show);

    // The window was created (after the image download started) or is going.
    void windowCreated();
    void windowGoing();
    void windowResized();

    // The control's messages 1028 to 1035.
    void message(int id, int wParam = 0, int lParam = 0);
    void onEvent(const AudioEvent& event);

    // The panel's actions.
    void talkPressed();
    void talkReleased(); // instant mode: released, or the pointer left the button
    void toggleSpeakerMute();
    void toggleMicrophoneMute();
    void speedChosen(int index);

    const PanelState& panel() const { return m_panel; }
    const AudioParameters& parameters() const { return m_params; }
    bool modeChanged() const { return m_modeChanged; }
    int playbackBlocks() const { return m_blocks; }
    bool receiving() const;
    bool readerThreadRunning() const;
    bool capturing() const;

private:
    void startReceive();
    void stopReceive();
    void startCapture();
    void stopCapture();
    void talkOn();
    void talkOff();
    void talkRelease();
    bool fetchParameters();
    bool slotFree() const;
    void applyPanelParameters();
    void createPanel();
    void repaintPanel();
    void uploadFailed(DWORD error);
    void soundStatus(int status);
    void setOutputLevel(int level);
    void setInputLevel(int level);
    void showMessage(const char* text, const char* caption, bool ownedByControl = false);
    QWidget* window() const { return m_host.window ? m_host.window() : nullptr; }
    bool active() const;

    Host m_host;
    std::shared_ptr<AudioPoster> m_poster;
    std::shared_ptr<SoundPlayer> m_player;
    std::unique_ptr<SoundStream> m_stream;
    std::unique_ptr<SoundUpload> m_upload;

    std::string m_soundUrl;
    std::string m_recordUrl;
    std::string m_parameterUrl;
    AudioParameters m_params;
    PanelState m_panel;
    int m_blocks = kConnectionSpeeds[kInitialSpeedIndex].playbackBlocks;
    bool m_modeChanged = false;
    bool m_firstConnect = true;
    // The slot rule needs the camera's counts: without a list ever read, it is not applied.
    bool m_haveParameters = false;
    bool m_displayPanel = false;
    bool m_receiveWanted = false; // start receive once the window exists
    QPointer<SoundPanel> m_panelWidget;

    std::unique_ptr<orvel::audio::Mixer> m_outputMixer;
    std::unique_ptr<orvel::audio::Mixer> m_inputMixer;
    int m_outputSubscription = 0;
    int m_inputSubscription = 0;
};

} // namespace pictra
