#pragma once
// Talking: the microphone is recorded in 900-byte blocks, each encoded and written to the
// camera as it comes, all in one streaming POST with a large declared size. When the POST
// nears that size, or a write fails, the capture thread suspends the upload and tells the
// window thread, which decides what follows (a fresh POST, a message).
//
// Threads: start and stop on the window thread. The capture thread, owned here, opens the
// POST, encodes and writes; the flags and the limit are shared with the window thread.

#include "control/AudioEvent.h"
#include "control/AudioParameters.h"
#include "control/LevelMeter.h"
#include "media/codec/AudioCodec.h"
#include "platform/audio/WaveIn.h"
#include "platform/http/HttpError.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orvel::http {
class Connection;
class Request;
class Session;
} // namespace orvel::http

namespace pictra {

class SoundUpload {
public:
    static constexpr std::size_t kCaptureBlockBytes = 900; // 450 samples, 56.25 ms
    static constexpr int kCaptureBlocks = 4;
    static constexpr std::uint64_t kInitialBodyLimit = 2000000;
    static constexpr std::uint64_t kDirectBodyLimit = 999999999;
    // A fresh POST is opened once fewer bytes than this are left of the declared size.
    static constexpr std::uint64_t kRenewMargin = 4000;
    // The camera may still count the POST just closed as its talker and refuse the fresh one
    // (503, or a connection it drops at once): the fresh POST is tried again, this often and
    // this far apart, before the failure is told.
    static constexpr int kRenewalRetries = 8;
    static constexpr std::chrono::milliseconds kRenewalRetryInterval{250};
    // A fresh POST dropped within this time of opening counts as refused.
    static constexpr std::chrono::milliseconds kRenewalRefusalWindow{1000};

    struct Settings {
        std::string url;
        orvel::codec::CodecType codec = orvel::codec::CodecType::G721;
        HttpMessageType messageType = HttpMessageType::Multipart;
    };

    explicit SoundUpload(std::shared_ptr<AudioPoster> poster);
    ~SoundUpload();
    SoundUpload(const SoundUpload&) = delete;
    SoundUpload& operator=(const SoundUpload&) = delete;

    // A suspended upload is stopped first. False when the microphone cannot be opened.
    bool start(const Settings& settings);
    void stop();
    bool running() const { return m_thread.joinable(); }

    // Shared with the window thread's failure handling.
    std::atomic<bool> proxyInUse{false};
    std::atomic<bool> renewed{false};
    std::atomic<bool> suspended{false};
    std::atomic<std::uint64_t> bodyLimit{kInitialBodyLimit};
    std::atomic<std::uint64_t> written{0};
    // POSTs opened since construction (tests and diagnostics).
    std::atomic<int> postsOpened{0};

private:
    // retries: how often a refused POST may still be tried again (0 but after a renewal).
    void run(Settings settings, int retries);
    orvel::http::HttpError openUpload(const Settings& settings);
    // Opens the POST again after a pause, while retries last; error: the last failure. False
    // when they ran out or the upload is stopping.
    bool reopenAfterPause(const Settings& settings, int& retries, orvel::http::HttpError& error);
    // Waits one retry interval; false when stopped meanwhile.
    bool pauseBeforeRetry();
    // Suspends the upload and tells the window thread, unless the upload is stopping.
    void fail(orvel::http::HttpError error);
    void closeUpload();

    std::shared_ptr<AudioPoster> m_poster;
    std::optional<orvel::codec::AudioCodec> m_codec;
    std::unique_ptr<orvel::codec::CodecState> m_state;
    std::unique_ptr<orvel::audio::WaveIn> m_in;
    struct Block {
        orvel::audio::WaveBlock header;
        std::vector<std::uint8_t> bytes;
    };
    std::array<Block, kCaptureBlocks> m_blocks;
    LevelMeter m_meter; // capture thread

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_quit = false;                                   // guarded by m_mutex
    std::shared_ptr<orvel::http::Request> m_request;       // guarded by m_mutex (closed by stop)
    std::shared_ptr<orvel::http::Session> m_session;       // capture thread
    std::unique_ptr<orvel::http::Connection> m_connection; // capture thread
    std::thread m_thread;
};

} // namespace pictra
