#include "tools/camsim/CamSim.h"

#include "tools/camsim/CamRoutes.h"
#include "tools/camsim/SimContext.h"
#include "tools/camsim/SocketServer.h"

#include <cerrno>
#include <cstring>

namespace camsim {

SimContext::SimContext(const CamSimConfig& config, const SimModel& model, std::string firmware,
                       std::int64_t clockStartMs)
    : config(config), model(model), firmware(std::move(firmware)),
      generation(generationFor(model, this->firmware)),
      paramCgi(config.paramCgi.value_or(generation == Generation::G210 ||
                                        generation == Generation::G211)),
      banner(config.bannerText.empty() ? bannerFor(model, this->firmware) : config.bannerText),
      clockStartMs(clockStartMs), frameIntervalMs(config.fps > 0 ? 1000 / config.fps : 40),
      audioEnabled(config.audio.enabled.value_or(model.audio)),
      auth(config.auth, config.user, config.password,
           config.realm.empty() ? std::string(model.name) : config.realm, config.seed),
      ptz(model.inputs), picture(config.seed),
      loops(config.loopFrames, clockStartMs, frameIntervalMs), audio(config.audio)
{}

std::unique_ptr<CamSim> CamSim::start(const CamSimConfig& config, StartError* error)
{
    auto fail = [error](int code, std::string message) -> std::unique_ptr<CamSim> {
        if (error)
            *error = {code, std::move(message)};
        return nullptr;
    };
    const SimModel* model = findSimModel(config.model);
    if (!model)
        return fail(EINVAL, "unknown model " + config.model);
    if (config.fps < 0 || config.fps > 60)
        return fail(EINVAL, "fps must be 0 (unthrottled) or 1 to 60");
    if (config.auth != AuthMode::None && config.user.empty())
        return fail(EINVAL, "authentication needs a user");
    if (config.jpegQuality < 1 || config.jpegQuality > 100)
        return fail(EINVAL, "JPEG quality must be 1 to 100");
    const AudioConfig& audio = config.audio;
    // Parts of whole bytes in both codings, and at most a second each.
    if (audio.partSamples < 8 || audio.partSamples > 8000 || audio.partSamples % 8 != 0)
        return fail(EINVAL, "audio part samples must be a multiple of 8 from 8 to 8000");
    if (audio.toneHz <= 0 || audio.toneHz >= 4000 || audio.toneAmplitude < 0 ||
        audio.toneAmplitude > 32767)
        return fail(EINVAL, "audio tone must be below 4000 Hz and its amplitude 0 to 32767");
    if (audio.maxListeners < 0 || audio.maxTalkers < 0)
        return fail(EINVAL, "audio slot counts must not be negative");

    using namespace std::chrono;
    std::int64_t clockStart = config.clockStartMs.value_or(
        duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
    std::string firmware(config.firmware.empty() ? model->defaultFirmware : config.firmware);

    std::unique_ptr<CamSim> sim(new CamSim);
    sim->m_context = std::make_unique<SimContext>(config, *model, firmware, clockStart);
    sim->m_server = std::make_unique<SocketServer>();
    SimContext& context = *sim->m_context;

    if (config.https) {
        std::string why;
        context.tls = TlsContext::create(config.address, &why);
        if (!context.tls)
            return fail(EPROTO, why);
    }

    auto listen = [&](std::uint16_t port, SocketServer::Handler handler) {
        int code = sim->m_server->listen(config.address, port, std::move(handler));
        if (code != 0 && error)
            *error = {code,
                      config.address + ":" + std::to_string(port) + ": " + std::strerror(code)};
        return code == 0;
    };
    SimContext* shared = &context;
    if (!listen(config.httpPort, [shared](Connection& connection) {
            auto channel = makeSocketChannel(connection.fd());
            serveHttp(*shared, connection, *channel);
        }))
        return nullptr;
    if (config.bannerMode != BannerMode::Closed &&
        !listen(config.bannerPort, [shared](Connection& connection) {
            auto channel = makeSocketChannel(connection.fd());
            serveBanner(*shared, connection, *channel);
        }))
        return nullptr;
    if (config.https && !listen(config.httpsPort, [shared](Connection& connection) {
            if (auto channel = shared->tls->accept(connection.fd()))
                serveHttp(*shared, connection, *channel);
        }))
        return nullptr;
    return sim;
}

CamSim::~CamSim()
{
    stop();
}

void CamSim::stop()
{
    if (!m_server)
        return;
    m_context->stop.stop();
    m_context->audio.shutdown();
    m_server->stop();
}

const CamSimConfig& CamSim::config() const
{
    return m_context->config;
}

const SimModel& CamSim::model() const
{
    return m_context->model;
}

const std::string& CamSim::firmware() const
{
    return m_context->firmware;
}

Generation CamSim::generation() const
{
    return m_context->generation;
}

const std::string& CamSim::banner() const
{
    return m_context->banner;
}

std::string CamSim::host() const
{
    const CamSimConfig& config = m_context->config;
    if (config.httpPort == 80)
        return config.address;
    return config.address + ":" + std::to_string(config.httpPort);
}

std::string CamSim::url(const std::string& pathAndQuery) const
{
    return "http://" + host() + pathAndQuery;
}

std::string CamSim::httpsUrl(const std::string& pathAndQuery) const
{
    const CamSimConfig& config = m_context->config;
    std::string url = "https://";
    url += config.address;
    if (config.httpsPort != 443) {
        url += ':';
        url += std::to_string(config.httpsPort);
    }
    url += pathAndQuery;
    return url;
}

std::string CamSim::videoPath(int camera, const std::string& resolution) const
{
    return camsim::videoPath(m_context->model, m_context->generation, camera, resolution);
}

std::string CamSim::imagePath(int camera, const std::string& resolution) const
{
    return camsim::imagePath(m_context->model, m_context->generation, camera, resolution);
}

std::vector<LoggedRequest> CamSim::requests() const
{
    return m_context->requests.snapshot();
}

bool CamSim::waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const
{
    return m_context->requests.waitForCount(count, timeout);
}

std::vector<PtzCommand> CamSim::ptzCommands() const
{
    return m_context->ptz.log().snapshot();
}

bool CamSim::waitForPtzCommands(std::size_t count, std::chrono::milliseconds timeout) const
{
    return m_context->ptz.log().waitForCount(count, timeout);
}

Viewport CamSim::viewport(int camera) const
{
    return m_context->ptz.viewport(camera);
}

std::vector<std::string> CamSim::bannerCommands() const
{
    return m_context->bannerCommands.snapshot();
}

bool CamSim::waitForBannerCommands(std::size_t count, std::chrono::milliseconds timeout) const
{
    return m_context->bannerCommands.waitForCount(count, timeout);
}

std::uint64_t CamSim::partsServed() const
{
    return m_context->partsServed.load();
}

int CamSim::activeStreams() const
{
    return m_context->activeStreams.value();
}

bool CamSim::waitForActiveStreams(int count, std::chrono::milliseconds timeout) const
{
    return m_context->activeStreams.waitFor(count, timeout);
}

bool CamSim::hasAudio() const
{
    return m_context->audioEnabled;
}

std::string CamSim::audioStreamPath()
{
    return std::string(kAudioStreamPath);
}

std::string CamSim::audioUploadPath()
{
    return std::string(kAudioUploadPath);
}

std::string CamSim::audioParameterPath()
{
    return "/orvel-cgi/view/param.cgi?action=list&group=" + std::string(kAudioParamGroup);
}

AudioDuplex CamSim::audioDuplex() const
{
    return m_context->audio.duplex();
}

void CamSim::reconfigureAudio(AudioDuplex duplex)
{
    m_context->audio.reconfigure(duplex);
}

int CamSim::audioListeners() const
{
    return m_context->audio.listeners();
}

int CamSim::audioTalkers() const
{
    return m_context->audio.talkers();
}

bool CamSim::waitForAudioClients(int listeners, int talkers,
                                 std::chrono::milliseconds timeout) const
{
    return m_context->audio.waitForClients(listeners, talkers, timeout);
}

std::uint64_t CamSim::audioPartsServed() const
{
    return m_context->audio.partsServed();
}

std::vector<AudioUpload> CamSim::audioUploads() const
{
    return m_context->audio.uploads();
}

bool CamSim::waitForAudioUploads(const std::function<bool(const std::vector<AudioUpload>&)>& done,
                                 std::chrono::milliseconds timeout) const
{
    return m_context->audio.waitForUploads(done, timeout);
}

} // namespace camsim
