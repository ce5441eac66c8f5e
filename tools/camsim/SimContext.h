#pragma once
// The state one simulated camera shares between its connection threads. Fixed parts are set
// before the first thread starts; the rest guards itself.

#include "tools/camsim/AudioDaemon.h"
#include "tools/camsim/CamSimConfig.h"
#include "tools/camsim/Channel.h"
#include "tools/camsim/EventLog.h"
#include "tools/camsim/FrameFactory.h"
#include "tools/camsim/HttpAuth.h"
#include "tools/camsim/HttpRequest.h"
#include "tools/camsim/PtzController.h"
#include "tools/camsim/SimModels.h"
#include "tools/camsim/StopSignal.h"
#include "tools/camsim/TestPicture.h"

#include <atomic>
#include <memory>
#include <string>

namespace camsim {

class Connection;

struct SimContext {
    SimContext(const CamSimConfig& config, const SimModel& model, std::string firmware,
               std::int64_t clockStartMs);

    const CamSimConfig config;
    const SimModel& model;
    const std::string firmware;
    const Generation generation;
    const bool paramCgi;
    const std::string banner;
    const std::int64_t clockStartMs;
    const int frameIntervalMs; // of the clock shown in the picture
    const bool audioEnabled;   // sound stream, upload and "root.Audiod." parameters served

    StopSignal stop;
    HttpAuth auth;
    PtzController ptz;
    TestPicture picture;
    FrameLoopCache loops;
    std::unique_ptr<TlsContext> tls; // set before the HTTPS port listens
    AudioDaemon audio;

    EventLog<LoggedRequest> requests;
    EventLog<std::string> bannerCommands;
    Gauge activeStreams;
    std::atomic<std::uint64_t> imagesServed{0};
    std::atomic<std::uint64_t> partsServed{0}; // stream parts written, all streams
};

// Connection handlers, called on the connection's thread.
void serveHttp(SimContext& context, Connection& connection, Channel& channel);
void serveBanner(SimContext& context, Connection& connection, Channel& channel);
void serveSoundStream(SimContext& context, Connection& connection, Channel& channel,
                      const HttpRequest& request);
// bodyStart: the body bytes that arrived with the request head.
void serveAudioUpload(SimContext& context, Connection& connection, Channel& channel,
                      const HttpRequest& request, std::string bodyStart);

} // namespace camsim
