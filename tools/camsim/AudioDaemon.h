#pragma once
// The audio side of one simulated camera, as its audio daemon keeps it: the duplex mode (which
// a test may reconfigure while clients are connected), the listener and talker slots, the
// "root.Audiod." parameters that report them, and what every upload brought.
//
// Thread-safe: connection threads take slots and record uploads, tests read and wait from any
// thread.

#include "tools/camsim/CamSimConfig.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace camsim {

class Connection;

// One POST to the upload path, as far as it came.
struct AudioUpload {
    std::string contentType;         // of the request
    bool multipart = false;          // frames behind boundary markers, or one stream of codes
    std::uint64_t declaredBytes = 0; // Content-Length; 0 when absent
    std::uint64_t bodyBytes = 0;     // body bytes received
    std::uint64_t codedBytes = 0;    // audio code bytes received, all frames together
    int frames = 0;                  // multipart frames begun
    int badFrames = 0;               // frames of an unknown type: skipped, not decoded
    int codecType = -1;              // of the last audio received (2: G.721, 3: G.723 24k)
    // The code bytes and the samples decoded from them, the first kMaxKeptCodeBytes only.
    std::string codes;
    std::vector<std::int16_t> samples;
    bool ended = false;   // the connection is over
    bool dropped = false; // ended by the dropped-upload fault or a reconfiguration
    std::string error;    // why the body stopped being read as audio; empty when it never did
};

class AudioDaemon {
public:
    // About 8 minutes of G.721 per upload: enough for any test, bounded for a long demo.
    static constexpr std::size_t kMaxKeptCodeBytes = 2 * 1024 * 1024;

    explicit AudioDaemon(const AudioConfig& config);

    AudioDuplex duplex() const;
    static bool canListen(AudioDuplex duplex);
    static bool canTalk(AudioDuplex duplex);

    // A sound stream or an upload while it holds its place. Destroying it frees the slot.
    class Slot {
    public:
        ~Slot();
        Slot(const Slot&) = delete;
        Slot& operator=(const Slot&) = delete;
        // True once a reconfiguration (or the camera's stop) ended this client's connection.
        bool kicked() const { return m_kicked.load(); }

    private:
        friend class AudioDaemon;
        Slot(AudioDaemon& daemon, bool talker, Connection* connection)
            : m_daemon(daemon), m_talker(talker), m_connection(connection)
        {}
        AudioDaemon& m_daemon;
        const bool m_talker;
        Connection* const m_connection; // interrupted when kicked; valid while the slot lives
        std::atomic<bool> m_kicked{false};
    };

    enum class Refusal { None, Mode, Full };
    // Null with the reason when the mode does not allow it or every slot is taken.
    std::unique_ptr<Slot> takeListener(Connection& connection, Refusal& refusal);
    std::unique_ptr<Slot> takeTalker(Connection& connection, Refusal& refusal);

    // Waits for the deadline; false when the slot was kicked or the daemon shut down first.
    bool sleepUntil(const Slot& slot, std::chrono::steady_clock::time_point deadline);

    // Sets the mode and ends every audio connection (RST), as a camera whose audio daemon
    // restarts with a new configuration.
    void reconfigure(AudioDuplex duplex);
    // Wakes every wait for good: the camera stops.
    void shutdown();

    int listeners() const;
    int talkers() const;
    bool waitForClients(int listeners, int talkers, std::chrono::milliseconds timeout) const;

    // The "root.Audiod." lines, reporting the live slot counts and mode.
    std::vector<std::pair<std::string, std::string>> parameters() const;

    // Upload records: one per POST accepted, in order.
    std::size_t beginUpload(AudioUpload upload);
    struct UploadProgress {
        std::uint64_t bodyBytes = 0;
        std::string_view codes;
        std::span<const std::int16_t> samples;
        int frames = 0;
        int badFrames = 0;
        int codecType = -1;
    };
    void addToUpload(std::size_t index, const UploadProgress& progress);
    void endUpload(std::size_t index, bool dropped, std::string error);
    std::vector<AudioUpload> uploads() const;
    bool waitForUploads(const std::function<bool(const std::vector<AudioUpload>&)>& done,
                        std::chrono::milliseconds timeout) const;

    void countPart() { ++m_partsServed; }
    std::uint64_t partsServed() const { return m_partsServed.load(); }

private:
    std::unique_ptr<Slot> take(Connection& connection, bool talker, Refusal& refusal);
    void release(Slot& slot);

    const AudioConfig m_config;
    mutable std::mutex m_mutex; // guards everything below but the counter
    mutable std::condition_variable m_changed;
    AudioDuplex m_duplex;
    bool m_shutdown = false;
    std::list<Slot*> m_slots;
    std::vector<AudioUpload> m_uploads;
    std::atomic<std::uint64_t> m_partsServed{0};
};

const char* duplexName(AudioDuplex duplex); // the parameter value: "full", "get" ...
bool parseDuplex(std::string_view name, AudioDuplex& duplex);

} // namespace camsim
