#pragma once
// The camera's sound stream, in either of its forms: multipart through the camera client
// (like the images, with its own sink), or single-part through the control's own
// CamHTTPStreamClient and a reader thread. Both hand each received piece to the player.
//
// Threads: open and stop on the window thread. The sink is called on the client's callback
// thread (parts) and request thread (statuses); the reader thread is owned here.

#include "common/ICamDataObject.h"
#include "common/ICamMultipartRequest.h"
#include "common/ICamRequestSink.h"
#include "control/AudioEvent.h"
#include "control/CamHTTPStreamClient.h"
#include "control/SoundPlayer.h"
#include "platform/com/ComPtr.h"
#include "platform/com/UnknownImpl.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace pictra {

// What the sound request's sink and the window thread share.
struct SoundChannel {
    std::shared_ptr<SoundPlayer> player;
    std::shared_ptr<AudioPoster> poster;
    std::mutex mutex;                  // the data object's hand-over
    ComPtr<ICamDataObject> dataObject; // guarded by mutex
    std::atomic<UI4> cookie{0};        // 0: not known yet
};

class SoundSink final : public UnknownImpl<SoundSink, ICamRequestSink> {
public:
    explicit SoundSink(std::shared_ptr<SoundChannel> channel) : m_channel(std::move(channel)) {}

    // Called on the client's callback thread: plays the part, posts OnNewSoundSample.
    HRESULT OnDataAvailable(UI4 dwCookie, UI4 dwType) override;
    // Called on the client's request thread: 21 and 51 go to the window thread.
    HRESULT OnStatusChanged(UI4 dwCookie, UI4 dwStatus, BSTR bstrInfo) override;

private:
    ~SoundSink() override = default;
    bool ours(UI4 cookie) const;
    std::shared_ptr<SoundChannel> m_channel;
};

class SoundStream {
public:
    // The pieces the reader and the client read at a time: small, so playback starts soon.
    static constexpr DWORD kChunkBytes = 240;

    SoundStream(std::shared_ptr<SoundPlayer> player, std::shared_ptr<AudioPoster> poster);
    ~SoundStream();
    SoundStream(const SoundStream&) = delete;
    SoundStream& operator=(const SoundStream&) = delete;

    // soundUrl + "?http-type=multipart" through a new camera client. False when the client
    // cannot be made or the address not opened. Does nothing while a request exists.
    bool openMultipart(const std::string& soundUrl, HWND window);
    // soundUrl + "?http-type=singlepart"; false unless the camera answers 200.
    bool openSinglepart(const std::string& soundUrl);
    void stop();

    bool multipartOpen() const { return static_cast<bool>(m_request); }
    bool readerRunning() const { return m_reader.joinable() && !m_readerEnded.load(); }
    bool readerStarted() const { return m_reader.joinable(); }
    CamHTTPStreamClient& client() { return m_client; }

private:
    void readLoop();

    std::shared_ptr<SoundChannel> m_channel;
    ComPtr<ICamRequestSink> m_sink;
    ComPtr<ICamMultipartRequest> m_request;

    CamHTTPStreamClient m_client; // used by the reader thread while it runs
    std::mutex m_stopMutex;
    std::condition_variable m_stopWake;
    bool m_stop = false; // guarded by m_stopMutex
    std::atomic<bool> m_readerEnded{false};
    std::thread m_reader;
};

} // namespace pictra
