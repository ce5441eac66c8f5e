#pragma once
// One simulated network camera on a loopback address of its own: HTTP on port 80 (streams,
// images, PTZ, parameters in the URL forms of its generation), the identification greeting on
// port 21 and, when asked, HTTPS on 443 with a self-signed certificate. Tests start it
// in-process and read what it was asked; the camsim program runs one until a signal.
//
// Threads: one accept thread per port and one per connection, owned here. stop() (and the
// destructor) ends them all and returns promptly even with clients connected. The observer
// methods may be called from any thread.

#include "tools/camsim/AudioDaemon.h"
#include "tools/camsim/CamSimConfig.h"
#include "tools/camsim/HttpRequest.h"
#include "tools/camsim/PtzController.h"
#include "tools/camsim/SimModels.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace camsim {

struct SimContext;
class SocketServer;

struct StartError {
    int code = 0; // errno value: EADDRINUSE when the address is taken, EINVAL for bad config
    std::string message;
};

class CamSim {
public:
    // Null on failure, with the reason in *error when given.
    static std::unique_ptr<CamSim> start(const CamSimConfig& config, StartError* error = nullptr);
    ~CamSim();
    CamSim(const CamSim&) = delete;
    CamSim& operator=(const CamSim&) = delete;

    void stop(); // idempotent

    const CamSimConfig& config() const;
    const SimModel& model() const;
    const std::string& firmware() const;
    Generation generation() const;
    const std::string& banner() const; // the greeting line, without CR LF

    // "127.0.0.5", with ":port" when HTTP is not on 80: what a user types as the host.
    std::string host() const;
    std::string url(const std::string& pathAndQuery) const;      // "http://" + host + path
    std::string httpsUrl(const std::string& pathAndQuery) const; // on the HTTPS port
    // The stream and image paths a client of this generation asks for.
    std::string videoPath(int camera = 1, const std::string& resolution = {}) const;
    std::string imagePath(int camera = 1, const std::string& resolution = {}) const;

    std::vector<LoggedRequest> requests() const;
    bool waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;
    std::vector<PtzCommand> ptzCommands() const;
    bool waitForPtzCommands(std::size_t count, std::chrono::milliseconds timeout) const;
    Viewport viewport(int camera) const;
    std::vector<std::string> bannerCommands() const; // lines received on the banner port
    bool waitForBannerCommands(std::size_t count, std::chrono::milliseconds timeout) const;
    int activeStreams() const; // streams being sent right now
    bool waitForActiveStreams(int count, std::chrono::milliseconds timeout) const;
    std::uint64_t partsServed() const; // stream parts written so far, on every stream

    // Audio (see the README): whether this camera has it, and the paths a page gives the
    // control as SoundURL, RecordSoundURL and AudioParameterURL.
    bool hasAudio() const;
    static std::string audioStreamPath(); // the control appends "?http-type=..."
    static std::string audioUploadPath();
    static std::string audioParameterPath(); // the "root.Audiod." group of the list
    AudioDuplex audioDuplex() const;
    // Changes the duplex mode, as reported from now on, and resets every audio connection.
    void reconfigureAudio(AudioDuplex duplex);
    int audioListeners() const; // sound streams being served
    int audioTalkers() const;   // uploads being received
    bool waitForAudioClients(int listeners, int talkers, std::chrono::milliseconds timeout) const;
    std::uint64_t audioPartsServed() const; // sound stream parts (or chunks) written so far
    std::vector<AudioUpload> audioUploads() const;
    // True once done holds for the uploads so far; false at the deadline.
    bool waitForAudioUploads(const std::function<bool(const std::vector<AudioUpload>&)>& done,
                             std::chrono::milliseconds timeout) const;

private:
    CamSim() = default;
    std::unique_ptr<SimContext> m_context;
    std::unique_ptr<SocketServer> m_server; // declared last: its threads use m_context
};

} // namespace camsim
