#include "control/ControlAudio.h"

#include "control/AudioParameterFetch.h"
#include "control/SoundPanel.h"
#include "control/SoundPlayer.h"
#include "control/SoundStream.h"
#include "control/SoundUpload.h"
#include "platform/http/HttpError.h"
#include "platform/ui/MessageBox.h"
#include "platform/window/WindowHandle.h"

#include <QWidget>
#include <algorithm>

namespace pictra {
namespace {

constexpr const char* kServiceUnavailable = "Service Unavailable";
constexpr const char* kMaximumClients =
    "Maximum number of clients already connected.\n\n Please try again later.";
constexpr const char* kModeReconfigured =
    "The audio mode has been reconfigured.\n\nPlease reload your application.";
constexpr const char* kModeChangedCaption = "Mode Changed";
constexpr DWORD kMaxVolume = 65535;
// The smallest declared size worth halving to after a refused POST through a proxy.
constexpr std::uint64_t kSmallestHalvedLimit = 20001;

} // namespace

ControlAudio::ControlAudio(Host host)
    : m_host(std::move(host)), m_poster(std::make_shared<AudioPoster>()),
      m_player(std::make_shared<SoundPlayer>(m_poster)),
      m_stream(std::make_unique<SoundStream>(m_player, m_poster)),
      m_upload(std::make_unique<SoundUpload>(m_poster))
{}

ControlAudio::~ControlAudio()
{
    windowGoing();
}

bool ControlAudio::active() const
{
    return window() && (!m_host.runMode || m_host.runMode());
}

// ---- properties and the window ----

void ControlAudio::soundUrlSet(const std::string& url)
{
    m_soundUrl = url;
    if (m_params.duplexMode == DuplexMode::TalkOnly)
        return;
    if (window())
        startReceive();
    else
        m_receiveWanted = true;
}

void ControlAudio::parameterUrlSet(const std::string& url)
{
    m_parameterUrl = url;
    fetchParameters();
}

void ControlAudio::displayPanelSet(bool show)
{
    const bool was = m_displayPanel;
    m_displayPanel = show;
    if (show) {
        if (!m_outputMixer) {
            m_outputMixer = orvel::audio::Mixer::open(orvel::audio::MixerLine::Output);
            if (m_outputMixer)
                m_outputSubscription = m_outputMixer->subscribe(
                    [poster = m_poster](DWORD) { poster->post(AudioNotice::VolumeChanged, 0); });
        }
        if (!m_inputMixer) {
            m_inputMixer = orvel::audio::Mixer::open(orvel::audio::MixerLine::Input);
            if (m_inputMixer)
                m_inputSubscription = m_inputMixer->subscribe(
                    [poster = m_poster](DWORD) { poster->post(AudioNotice::VolumeChanged, 1); });
        }
        if (window())
            createPanel();
    } else if (was && m_panelWidget) {
        m_panelWidget->hide();
    }
}

void ControlAudio::windowCreated()
{
    QWidget* w = window();
    if (!w)
        return;
    m_poster->setWindow(w);
    m_panel.outputLevel = m_panel.inputLevel = 0;
    if (m_displayPanel)
        createPanel();
    if ((m_receiveWanted || !m_soundUrl.empty()) && !m_panel.speakerMuted &&
        m_params.duplexMode != DuplexMode::TalkOnly)
        startReceive();
    m_receiveWanted = false;
    if (!m_panel.microphoneMuted && m_params.duplexMode == DuplexMode::Full)
        startCapture();
}

void ControlAudio::windowGoing()
{
    if (m_outputMixer) {
        m_outputMixer->unsubscribe(m_outputSubscription);
        m_outputMixer.reset();
    }
    if (m_inputMixer) {
        m_inputMixer->unsubscribe(m_inputSubscription);
        m_inputMixer.reset();
    }
    m_poster->setWindow(nullptr);
    stopReceive();
    stopCapture();
    if (m_panelWidget)
        delete m_panelWidget.data();
}

void ControlAudio::windowResized()
{
    if (m_panelWidget)
        m_panelWidget->place();
}

// ---- parameters ----

bool ControlAudio::fetchParameters()
{
    if (m_parameterUrl.empty())
        return false;
    if (!fetchAudioParameters(m_parameterUrl, m_params))
        return false;
    m_haveParameters = true;
    return true;
}

void ControlAudio::applyPanelParameters()
{
    m_panel.speakerMuted = m_params.speakerMuted;
    m_panel.microphoneMuted = m_params.microphoneMuted;
    m_panel.speakerForced = m_params.speakerForced;
    m_panel.microphoneForced = m_params.microphoneForced;
    if (m_params.duplexMode == DuplexMode::ListenOnly)
        m_panel.microphoneMuted = m_panel.microphoneForced = true;
    if (m_params.duplexMode == DuplexMode::TalkOnly)
        m_panel.speakerMuted = m_panel.speakerForced = true;
    m_panel.buttonMode = m_params.buttonMode;
    m_panel.speedForced = m_params.bufferLevelForced;
    // An index the list does not have is the camera's mistake: keep the current speed.
    const long level = m_params.bufferLevel;
    if (level >= 0 && level < static_cast<long>(kConnectionSpeeds.size()) &&
        level != m_panel.speedIndex) {
        m_panel.speedIndex = static_cast<int>(level);
        m_blocks = kConnectionSpeeds[static_cast<std::size_t>(level)].playbackBlocks;
    }
}

void ControlAudio::createPanel()
{
    QWidget* w = window();
    if (!w)
        return;
    if (!m_panelWidget) {
        applyPanelParameters();
        if (m_outputMixer)
            m_panel.outputVolume = int(m_outputMixer->volume() * 100 / kMaxVolume);
        if (m_inputMixer)
            m_panel.inputVolume = int(m_inputMixer->volume() * 100 / kMaxVolume);
        m_panelWidget = new SoundPanel(*this, w);
    }
    m_panelWidget->setBackground(m_host.background ? m_host.background() : QColor(Qt::white));
    m_panelWidget->place();
    m_panelWidget->show();
}

void ControlAudio::repaintPanel()
{
    if (m_panelWidget)
        m_panelWidget->refresh();
}

// ---- receive ----

bool ControlAudio::slotFree() const
{
    return !m_haveParameters || m_params.listenerSlotFree();
}

void ControlAudio::startReceive()
{
    fetchParameters();
    if (slotFree() || m_firstConnect) {
        if (!active() || m_soundUrl.empty())
            return;
        if (!m_player->open(m_blocks, m_params.encoding)) {
            showMessage("Wave problem while initializing \n\n", kServiceUnavailable);
            return;
        }
        const bool opened = m_params.messageType == HttpMessageType::Multipart
                                ? m_stream->openMultipart(m_soundUrl, hwndOf(window()))
                                : m_stream->openSinglepart(m_soundUrl);
        if (!opened)
            m_player->close();
        repaintPanel();
        return;
    }
    if (!window())
        return;
    if (m_panelWidget) {
        showMessage(kMaximumClients, kServiceUnavailable, true);
        m_panel.speakerMuted = true;
        setOutputLevel(0);
    }
    if (m_host.readyComplete)
        m_host.readyComplete();
    stopReceive();
}

void ControlAudio::stopReceive()
{
    m_stream->stop();
    m_player->close();
    repaintPanel();
}

bool ControlAudio::receiving() const
{
    return m_player->isOpen();
}

bool ControlAudio::readerThreadRunning() const
{
    return m_stream->readerRunning();
}

// ---- capture and talk ----

void ControlAudio::startCapture()
{
    if (m_recordUrl.empty() || !active())
        return;
    m_upload->start({m_recordUrl, m_params.encoding, m_params.messageType});
    repaintPanel();
}

void ControlAudio::stopCapture()
{
    m_upload->stop();
    m_upload->suspended = false;
    repaintPanel();
}

bool ControlAudio::capturing() const
{
    return m_upload->running();
}

void ControlAudio::talkOn()
{
    m_panel.talking = true;
    if (m_params.duplexMode == DuplexMode::Half && !m_panel.speakerMuted) {
        setOutputLevel(0);
        stopReceive();
    }
    if (!m_panel.microphoneMuted)
        startCapture();
    repaintPanel();
}

void ControlAudio::talkOff()
{
    m_panel.talking = false;
    if (!m_panel.microphoneMuted) {
        setInputLevel(0);
        stopCapture();
    }
    if (m_params.duplexMode == DuplexMode::Half && !m_panel.speakerMuted)
        startReceive();
    repaintPanel();
}

void ControlAudio::talkPressed()
{
    if (m_panel.buttonMode == ButtonMode::Toggle) {
        if (m_panel.talking)
            talkOff();
        else
            talkOn();
    } else if (!m_panel.talking) {
        talkOn();
    }
}

void ControlAudio::talkReleased()
{
    if (m_panel.buttonMode == ButtonMode::Instant && m_panel.talking)
        talkOff();
}

void ControlAudio::talkRelease()
{
    // The upload is dead: capture stops with it, whatever comes next.
    stopCapture();
    setInputLevel(0);
    if (m_params.duplexMode == DuplexMode::Full) {
        m_panel.microphoneMuted = true;
    } else {
        m_panel.talking = false;
        const bool restart = m_params.duplexMode != DuplexMode::TalkOnly &&
                             m_params.duplexMode != DuplexMode::Disabled && !m_modeChanged &&
                             m_params.maxNumberOfClients != 0 && !m_panel.speakerMuted;
        if (restart)
            message(kMsgStartReceive);
    }
    repaintPanel();
}

void ControlAudio::toggleSpeakerMute()
{
    if (m_panel.speakerForced)
        return;
    m_panel.speakerMuted = !m_panel.speakerMuted;
    if (m_panel.speakerMuted) {
        stopReceive();
        setOutputLevel(0);
    } else {
        startReceive();
    }
    repaintPanel();
}

void ControlAudio::toggleMicrophoneMute()
{
    if (m_panel.microphoneForced)
        return;
    m_panel.microphoneMuted = !m_panel.microphoneMuted;
    // In full duplex the microphone is live whenever it is not muted.
    if (m_panel.talking || m_params.duplexMode == DuplexMode::Full) {
        if (m_panel.microphoneMuted) {
            setInputLevel(0);
            stopCapture();
        } else {
            startCapture();
        }
    }
    repaintPanel();
}

void ControlAudio::speedChosen(int index)
{
    if (m_panel.speedForced)
        return;
    message(kMsgSelectSpeed, index);
}

// ---- messages ----

void ControlAudio::message(int id, int wParam, int lParam)
{
    switch (id) {
    case kMsgVolumeChanged: {
        orvel::audio::Mixer* mixer = lParam == 1 ? m_inputMixer.get() : m_outputMixer.get();
        if (!mixer)
            return;
        const int percent = int(mixer->volume() * 100 / kMaxVolume);
        (lParam == 1 ? m_panel.inputVolume : m_panel.outputVolume) = percent;
        repaintPanel();
        return;
    }
    case kMsgStartReceive:
        startReceive();
        return;
    case kMsgStartCapture:
        startCapture();
        return;
    case kMsgSetOutputVolume:
    case kMsgSetInputVolume: {
        orvel::audio::Mixer* mixer =
            id == kMsgSetInputVolume ? m_inputMixer.get() : m_outputMixer.get();
        const int percent = std::clamp(wParam, 0, 100);
        (id == kMsgSetInputVolume ? m_panel.inputVolume : m_panel.outputVolume) = percent;
        if (mixer)
            mixer->setVolume(DWORD(percent) * kMaxVolume / 100);
        return;
    }
    case kMsgStopReceive:
        stopReceive();
        return;
    case kMsgStopCapture:
        stopCapture();
        return;
    case kMsgSelectSpeed: {
        if (wParam < 0 || wParam >= static_cast<int>(kConnectionSpeeds.size()))
            return;
        if (wParam == m_panel.speedIndex || m_params.duplexMode == DuplexMode::TalkOnly)
            return;
        if (!m_panel.speakerMuted)
            stopReceive();
        m_panel.speedIndex = wParam;
        m_blocks = kConnectionSpeeds[static_cast<std::size_t>(wParam)].playbackBlocks;
        if (!m_panel.speakerMuted)
            startReceive();
        repaintPanel();
        return;
    }
    default:
        return;
    }
}

void ControlAudio::onEvent(const AudioEvent& event)
{
    switch (event.notice()) {
    case AudioNotice::NewSoundSample:
        return; // fired by the control
    case AudioNotice::OutputLevel:
        setOutputLevel(event.value());
        return;
    case AudioNotice::InputLevel:
        if (m_upload->running())
            setInputLevel(event.value());
        return;
    case AudioNotice::WaveProblem:
        showMessage(event.value() == static_cast<int>(WaveProblem::Preparing)
                        ? "Wave problem while Adding buffer 2\n\n"
                        : "Wave problem while Adding buffer \n\n",
                    kServiceUnavailable);
        return;
    case AudioNotice::SoundStatus:
        soundStatus(event.value());
        return;
    case AudioNotice::UploadFailed:
        if (m_upload->running())
            uploadFailed(static_cast<DWORD>(event.value()));
        return;
    case AudioNotice::UploadRenew:
        // A fresh POST before the declared size runs out.
        if (m_upload->running())
            startCapture();
        return;
    case AudioNotice::VolumeChanged:
        message(kMsgVolumeChanged, 0, event.value());
        return;
    }
}

void ControlAudio::setOutputLevel(int level)
{
    if (m_panel.outputLevel == level)
        return;
    m_panel.outputLevel = level;
    repaintPanel();
}

void ControlAudio::setInputLevel(int level)
{
    if (m_panel.inputLevel == level)
        return;
    m_panel.inputLevel = level;
    repaintPanel();
}

void ControlAudio::showMessage(const char* text, const char* caption, bool ownedByControl)
{
    showMessageBox(ownedByControl && window() ? hwndOf(window()) : nullptr, text, caption, MB_OK);
}

// ---- the camera's reports ----

void ControlAudio::soundStatus(int status)
{
    if (status == 21) {
        if (!m_firstConnect)
            return;
        m_firstConnect = false;
        fetchParameters();
        if (!slotFree()) {
            if (m_host.readyComplete)
                m_host.readyComplete();
            stopReceive();
            if (m_host.repaintControl)
                m_host.repaintControl();
            m_panel.speakerMuted = true;
            setOutputLevel(0);
            repaintPanel();
        }
        return;
    }
    if (status != 51 || m_params.duplexMode == DuplexMode::TalkOnly)
        return;
    const DuplexMode before = m_params.duplexMode;
    if (!fetchParameters())
        return;
    if (slotFree()) {
        if (m_params.duplexMode != before || m_modeChanged ||
            m_params.duplexMode == DuplexMode::Disabled) {
            m_modeChanged = true;
            stopReceive();
            showMessage(kModeReconfigured, kModeChangedCaption);
            return;
        }
        if (m_host.readyComplete)
            m_host.readyComplete();
        message(kMsgStopReceive);
        message(kMsgStartReceive);
        return;
    }
    if (!window())
        return;
    showMessage("The maximum number of clients has been changed.\n\n Please try again later.",
                kServiceUnavailable);
    if (m_host.repaintControl)
        m_host.repaintControl();
    m_panel.speakerMuted = true;
    setOutputLevel(0);
    repaintPanel();
    if (m_host.readyComplete)
        m_host.readyComplete();
    message(kMsgStopReceive);
}

void ControlAudio::uploadFailed(DWORD error)
{
    const char* text = "The camera could not be contacted. \n\nPlease try again later.";
    const char* caption = "Error";
    using orvel::http::HttpError;
    if (error == orvel::http::errorNumber(HttpError::ConnectionAborted) ||
        error == orvel::http::errorNumber(HttpError::ConnectionReset)) {
        const DuplexMode before = m_params.duplexMode;
        if (!fetchParameters()) {
            text = "The connection with the camera has been lost and it is now unreachable.\n\n "
                   "Please try again later.\n\n";
        } else if (m_params.duplexMode != before || m_modeChanged) {
            m_modeChanged = true;
            text = kModeReconfigured;
            caption = kModeChangedCaption;
        } else if (m_params.connectedPostClients > 0) {
            text = "The camera is receiving audio from another client. \n\nPlease try again "
                   "later.";
            caption = kServiceUnavailable;
        } else if (m_params.maxNumberOfClients != 0 &&
                   (m_params.connectedClients < m_params.maxNumberOfClients ||
                    m_params.duplexMode != DuplexMode::Half)) {
            // Refused for its size, likely by a proxy: try a smaller declared size once.
            if (m_upload->proxyInUse && !m_upload->renewed) {
                const std::uint64_t limit = m_upload->bodyLimit.load() & ~std::uint64_t(1);
                if (limit > kSmallestHalvedLimit) {
                    m_upload->bodyLimit = limit / 2;
                    stopCapture();
                    startCapture();
                    return;
                }
            } else {
                m_upload->bodyLimit = SoundUpload::kInitialBodyLimit;
                m_upload->written = 0;
                m_upload->renewed = false;
            }
            talkRelease();
            return;
        } else {
            text = kMaximumClients;
            caption = kServiceUnavailable;
        }
    }
    talkRelease();
    showMessage(text, caption);
}

} // namespace pictra
