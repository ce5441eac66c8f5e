// The HTTP side of a simulated camera: reads requests on one connection (keep-alive when the
// client wants it), checks the password, and answers with streams, images, PTZ replies and the
// parameter list, playing the configured faults.

#include "tools/camsim/CamRoutes.h"
#include "tools/camsim/ExamplePage.h"
#include "tools/camsim/HttpReply.h"
#include "tools/camsim/ResponseWriter.h"
#include "tools/camsim/SimContext.h"
#include "tools/camsim/SocketServer.h"

#include <algorithm>
#include <chrono>

namespace camsim {
namespace {

constexpr std::size_t kMaxHead = 64 * 1024;
constexpr std::size_t kMaxBody = 8 * 1024 * 1024;

std::int64_t wallClockMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string joined(std::span<const std::string_view> items)
{
    std::string text;
    for (std::string_view item : items) {
        if (!text.empty())
            text += ',';
        text += item;
    }
    return text;
}

enum class Faulty { No, Yes }; // whether an answer plays the media faults

class Session {
public:
    Session(SimContext& context, Connection& connection, Channel& channel)
        : m_context(context), m_connection(connection), m_channel(channel),
          m_writer(channel, context.config.faults, context.stop)
    {}

    void run()
    {
        for (;;) {
            HttpRequest request;
            if (!readRequest(request) || !handle(request))
                return;
        }
    }

private:
    bool readRequest(HttpRequest& request)
    {
        std::size_t headLength = 0;
        for (;;) {
            ParseStatus status = parseRequestHead(m_buffer, request, headLength);
            if (status == ParseStatus::Complete)
                break;
            if (status == ParseStatus::Invalid) {
                rawAnswer(400, "HTTP/1.0");
                return false;
            }
            if (m_buffer.size() > kMaxHead) {
                rawAnswer(431, "HTTP/1.0");
                return false;
            }
            if (!readMore())
                return false;
        }
        // An upload streams its body for as long as the client talks: it is read as it comes.
        m_bodyPending = m_context.audioEnabled && request.path == kAudioUploadPath;
        if (m_bodyPending) {
            m_buffer.erase(0, headLength);
            return true;
        }
        std::size_t bodyLength = 0;
        if (auto length = request.header("Content-Length"))
            bodyLength = std::strtoull(length->c_str(), nullptr, 10);
        if (bodyLength > kMaxBody) {
            rawAnswer(413, request.version);
            return false;
        }
        while (m_buffer.size() < headLength + bodyLength)
            if (!readMore())
                return false;
        request.body = m_buffer.substr(headLength, bodyLength);
        m_buffer.erase(0, headLength + bodyLength);
        return true;
    }

    bool readMore()
    {
        char chunk[4096];
        std::size_t n = m_channel.read(chunk, sizeof chunk);
        if (n == 0)
            return false;
        m_buffer.append(chunk, n);
        return true;
    }

    static bool wantsKeepAlive(const HttpRequest& request)
    {
        std::string connection = request.header("Connection").value_or("");
        if (request.version == "HTTP/1.1")
            return !equalsIgnoringCase(connection, "close");
        return equalsIgnoringCase(connection, "keep-alive");
    }

    void log(const HttpRequest& request, int status)
    {
        m_context.requests.add({request, m_connection.localPort(), status});
    }

    // Answers outside any request we could read: no log entry, connection closes.
    void rawAnswer(int status, const std::string& version)
    {
        std::string body = errorPage(status);
        std::string head =
            (version == "HTTP/1.1" ? "HTTP/1.1 " : "HTTP/1.0 ") + std::to_string(status) + " " +
            reasonPhrase(status) +
            "\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
            "\r\nConnection: close\r\n\r\n";
        m_channel.write(head.data(), head.size());
        m_channel.write(body.data(), body.size());
        m_channel.finish();
    }

    // Returns whether the connection stays open for another request.
    bool handle(const HttpRequest& request)
    {
        const Faults& faults = m_context.config.faults;
        const bool keepAlive = wantsKeepAlive(request) && !m_bodyPending;
        if (faults.resetAfterParts == 0) {
            log(request, 0);
            m_connection.close(CloseMode::Reset);
            return false;
        }
        if (faults.forceStatus != 0) {
            std::vector<std::string> extra;
            if (faults.forceStatus == 401)
                extra.push_back("WWW-Authenticate: " + m_context.auth.challenge(false));
            else if (faults.forceStatus / 100 == 3)
                extra.push_back("Location: /"); // to itself again: a redirect loop
            log(request, faults.forceStatus);
            return answer(request, faults.forceStatus, "text/html", errorPage(faults.forceStatus),
                          extra, keepAlive, Faulty::No);
        }
        AuthVerdict verdict = m_context.auth.check(request);
        if (verdict != AuthVerdict::Allowed) {
            log(request, 401);
            std::vector<std::string> extra{"WWW-Authenticate: " +
                                           m_context.auth.challenge(verdict == AuthVerdict::Stale)};
            return answer(request, 401, "text/html", errorPage(401), extra, keepAlive, Faulty::No);
        }
        if (request.method != "GET" && request.method != "HEAD" && request.method != "POST") {
            log(request, 405);
            return answer(request, 405, "text/html", errorPage(405), {}, keepAlive, Faulty::No);
        }

        Route route =
            routeRequest(m_context.model, m_context.generation, m_context.paramCgi, request);
        switch (route.kind) {
        case RouteKind::NotFound:
            log(request, 404);
            return answer(request, 404, "text/html", errorPage(404), {}, keepAlive, Faulty::No);
        case RouteKind::BadRequest:
            log(request, 400);
            return answer(request, 400, "text/plain", route.error + "\r\n", {}, keepAlive,
                          Faulty::No);
        case RouteKind::Ptz:
            m_context.ptz.apply(route.ptz);
            if (route.htmlAnswer) {
                log(request, 200);
                return answer(request, 200, "text/html",
                              "<html><head><title>Video</title></head><body>"
                              "<img src=\"/cgi-bin/fullsize.srvpushb\"></body></html>\r\n",
                              {}, keepAlive, Faulty::No);
            }
            if (m_context.generation == Generation::G210 ||
                m_context.generation == Generation::G211) {
                log(request, 204);
                return answer(request, 204, "", "", {}, keepAlive, Faulty::No);
            }
            log(request, 200);
            return answer(request, 200, "text/plain", "OK\r\n", {}, keepAlive, Faulty::No);
        case RouteKind::ParamList:
            return paramList(request, keepAlive);
        case RouteKind::HomePage:
            log(request, 200);
            return answer(request, 200, "text/html",
                          examplePage(m_context.model, m_context.generation, m_context.firmware,
                                      m_context.audioEnabled),
                          {}, keepAlive, Faulty::No);
        case RouteKind::Image:
            return image(request, route, keepAlive);
        case RouteKind::Stream:
            stream(request, route);
            return false;
        case RouteKind::AudioStream:
        case RouteKind::AudioUpload:
            if (!m_context.audioEnabled) {
                log(request, 404);
                return answer(request, 404, "text/html", errorPage(404), {}, keepAlive, Faulty::No);
            }
            if (route.kind == RouteKind::AudioStream)
                serveSoundStream(m_context, m_connection, m_channel, request);
            else
                serveAudioUpload(m_context, m_connection, m_channel, request, std::move(m_buffer));
            return false;
        }
        return false;
    }

    std::string headStart(const HttpRequest& request, int status)
    {
        return replyHead(m_context, request, status);
    }

    std::string padding() const
    {
        std::size_t bytes = m_context.config.faults.hugeHeaderBytes;
        return bytes == 0 ? std::string{} : "X-Padding: " + std::string(bytes, 'x') + "\r\n";
    }

    bool answer(const HttpRequest& request, int status, std::string_view contentType,
                std::string_view body, const std::vector<std::string>& extra, bool keepAlive,
                Faulty faulty)
    {
        std::string head = headStart(request, status);
        if (!contentType.empty())
            head += "Content-Type: " + std::string(contentType) + "\r\n";
        const Faults& faults = m_context.config.faults;
        if (status != 204)
            head +=
                "Content-Length: " + std::to_string(body.size() + faults.extraBodyBytes) + "\r\n";
        head += keepAlive ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
        for (const std::string& line : extra)
            head += line + "\r\n";
        if (faulty == Faulty::Yes) {
            for (const std::string& line : m_context.config.stream.extraResponseHeaders)
                head += line + "\r\n";
            head += padding();
        }
        head += "\r\n";
        bool headOnly = request.method == "HEAD";
        if (faults.stallAfterBytes >= 0)
            return stall(head + (headOnly ? std::string{} : std::string(body)));
        if (faults.closeAfterBytes >= 0 || faults.resetAfterBytes >= 0)
            return cut(head + (headOnly ? std::string{} : std::string(body)), !headOnly);
        bool ok;
        if (faulty == Faulty::Yes) {
            m_writer.beginResponse();
            ok = m_writer.writeHead(head) && (headOnly || m_writer.write(body));
        } else {
            ok = m_channel.write(head.data(), head.size()) &&
                 (headOnly || m_channel.write(body.data(), body.size()));
        }
        if (ok && !headOnly && faults.extraBodyBytes > 0)
            ok = writeFiller(faults.extraBodyBytes);
        if (!ok)
            return false;
        if (!keepAlive)
            m_channel.finish();
        return keepAlive;
    }

    bool writeFiller(std::size_t bytes)
    {
        const std::string chunk(64 * 1024, 'x');
        while (bytes > 0) {
            const std::size_t n = std::min(bytes, chunk.size());
            if (!m_channel.write(chunk.data(), n))
                return false;
            bytes -= n;
        }
        return true;
    }

    // Sends the first closeAfterBytes (or resetAfterBytes) of the answer, then ends the
    // connection that way.
    bool cut(std::string answer, bool withFiller)
    {
        const Faults& faults = m_context.config.faults;
        const bool reset = faults.resetAfterBytes >= 0;
        const auto bytes =
            static_cast<std::size_t>(reset ? faults.resetAfterBytes : faults.closeAfterBytes);
        if (withFiller && answer.size() < bytes)
            answer.append(std::min(faults.extraBodyBytes, bytes - answer.size()), 'x');
        answer.resize(std::min(bytes, answer.size()));
        if (!answer.empty() && !m_channel.write(answer.data(), answer.size()))
            return false;
        if (reset) {
            m_connection.close(CloseMode::Reset);
        } else {
            m_channel.finish();
            m_connection.close(CloseMode::Fin);
        }
        return false;
    }

    // Sends the first stallAfterBytes of the answer, then nothing until the client gives up.
    bool stall(std::string_view answer)
    {
        const auto bytes = static_cast<std::size_t>(m_context.config.faults.stallAfterBytes);
        answer = answer.substr(0, std::min(bytes, answer.size()));
        if (!answer.empty() && !m_channel.write(answer.data(), answer.size()))
            return false;
        drain();
        return false;
    }

    // Reads and drops whatever comes until the peer closes or the camera stops.
    void drain()
    {
        char sink[512];
        while (m_channel.read(sink, sizeof sink) > 0) {
        }
    }

    FrameFactory* factory()
    {
        if (!m_factory) {
            const CamSimConfig& config = m_context.config;
            m_factory = std::make_unique<FrameFactory>(
                m_context.picture, config.jpegQuality,
                config.faults.trickyJpegData ? config.stream.boundary : std::string{});
        }
        return m_factory->valid() ? m_factory.get() : nullptr;
    }

    std::int64_t frameTime(std::uint64_t frame) const
    {
        if (!m_context.config.clockStartMs)
            return wallClockMs();
        return m_context.clockStartMs +
               static_cast<std::int64_t>(frame) * m_context.frameIntervalMs;
    }

    bool image(const HttpRequest& request, const Route& route, bool keepAlive)
    {
        FrameFactory* frames = factory();
        std::uint64_t number = m_context.imagesServed++;
        std::string jpeg;
        if (frames)
            jpeg = frames->make({route.camera, route.width, route.height, number, frameTime(number),
                                 m_context.ptz.viewport(route.camera)});
        if (jpeg.empty()) {
            log(request, 500);
            return answer(request, 500, "text/html", errorPage(500), {}, false, Faulty::No);
        }
        log(request, 200);
        return answer(request, 200, "image/jpeg", jpeg, {}, keepAlive, Faulty::Yes);
    }

    bool paramList(const HttpRequest& request, bool keepAlive)
    {
        if (request.param("action") != "list") {
            log(request, 400);
            return answer(request, 400, "text/plain", "# Error: unknown action\r\n", {}, keepAlive,
                          Faulty::No);
        }
        const SimModel& model = m_context.model;
        std::vector<std::pair<std::string, std::string>> params = {
            {"root.Brand.Brand", "ORVEL"},
            {"root.Brand.ProdShortName", std::string(model.name)},
            {"root.Brand.ProdNbr", std::string(model.name)},
            {"root.Properties.Firmware.Version", m_context.firmware},
            {"root.Properties.Image.Resolution", joined(model.resolutions)},
            {"root.Properties.Image.Format", "jpeg,mjpeg"},
            {"root.ImageSource.NbrOfSources", std::to_string(model.inputs)},
            {"root.Properties.PTZ.PTZ", model.ptz ? "yes" : "no"},
        };
        if (m_context.audioEnabled)
            for (auto& param : m_context.audio.parameters())
                params.push_back(std::move(param));
        const ParamListConfig& configured = m_context.config.paramList;
        for (const auto& [name, value] : configured.values) {
            auto listed = std::find_if(params.begin(), params.end(),
                                       [&name](const auto& param) { return param.first == name; });
            if (listed != params.end())
                listed->second = value;
            else
                params.emplace_back(name, value);
        }
        std::erase_if(params, [&configured](const auto& param) {
            return std::find(configured.omitted.begin(), configured.omitted.end(), param.first) !=
                   configured.omitted.end();
        });
        std::string group = request.param("group").value_or("");
        std::string body;
        auto emit = [&body](const std::pair<std::string, std::string>& param) {
            body += param.first + "=" + param.second + "\r\n";
        };
        if (group.empty()) {
            for (const auto& param : params)
                emit(param);
        }
        while (!group.empty()) {
            std::size_t comma = group.find(',');
            std::string name = group.substr(0, comma);
            group = comma == std::string::npos ? std::string{} : group.substr(comma + 1);
            if (name.empty())
                continue;
            bool found = false;
            for (const auto& param : params)
                if (param.first == name || param.first.starts_with(name + ".")) {
                    emit(param);
                    found = true;
                }
            if (!found)
                body += "# Error: Error -1 getting param in group '" + name + "'\r\n";
        }
        log(request, 200);
        return answer(request, 200, "text/plain", body, {}, keepAlive, Faulty::No);
    }

    void stream(const HttpRequest& request, const Route& route)
    {
        const CamSimConfig& config = m_context.config;
        const StreamFormat& format = config.stream;
        const Faults& faults = config.faults;
        FrameFactory* frames = factory();
        if (!frames) {
            log(request, 500);
            answer(request, 500, "text/html", errorPage(500), {}, false, Faulty::No);
            return;
        }

        std::string boundaryParam;
        switch (format.boundaryForm) {
        case BoundaryForm::Plain:
            boundaryParam = "boundary=" + format.boundary;
            break;
        case BoundaryForm::LeadingDashes:
            boundaryParam = "boundary=--" + format.boundary;
            break;
        case BoundaryForm::Quoted:
            boundaryParam = "boundary=\"" + format.boundary + "\"";
            break;
        case BoundaryForm::BlanksAroundEquals:
            boundaryParam = "boundary = " + format.boundary;
            break;
        }
        std::string contentType = "multipart/x-mixed-replace";
        for (const std::string& param : format.contentTypeParams)
            contentType += "; " + param;
        contentType += "; " + boundaryParam;

        log(request, 200);
        m_context.activeStreams.add(1);
        struct StreamCount {
            Gauge& gauge;
            ~StreamCount() { gauge.add(-1); }
        } count{m_context.activeStreams};

        HttpRequest http10 = request;
        http10.version = "HTTP/1.0"; // streams answer as the cameras did: 1.0, closed at the end
        std::string head = headStart(http10, 200) +
                           "Connection: close\r\nCache-Control: no-cache\r\nPragma: no-cache\r\n"
                           "Content-Type: " +
                           contentType + "\r\n";
        for (const std::string& line : format.extraResponseHeaders)
            head += line + "\r\n";
        head += padding() + "\r\n";
        m_writer.beginResponse();
        if (!m_writer.writeHead(head) || request.method == "HEAD")
            return;

        const std::string le = format.lineEnd == LineEnd::CrLf ? "\r\n" : "\n";
        const std::string marker = "--" + format.boundary;
        const bool preEncoded = config.frameMode == FrameMode::PreEncoded ||
                                (config.frameMode == FrameMode::Auto && config.fps == 0);
        const auto interval = config.fps > 0 ? std::chrono::microseconds(1000000 / config.fps)
                                             : std::chrono::microseconds(0);
        const auto start = std::chrono::steady_clock::now();
        const std::vector<PartKind> cycle =
            format.partCycle.empty() ? std::vector<PartKind>{PartKind::Jpeg} : format.partCycle;

        std::uint64_t jpegFrames = 0;
        std::shared_ptr<const FrameLoopCache::Loop> loop;
        std::string part;
        for (std::uint64_t k = 0;; ++k) {
            if (config.fps > 0 && !m_context.stop.sleepUntil(start + k * interval))
                return;
            if (m_context.stop.stopped())
                return;

            std::string_view body;
            std::string generated;
            std::string_view type;
            switch (cycle[k % cycle.size()]) {
            case PartKind::Jpeg: {
                type = "image/jpeg";
                Viewport viewport = m_context.ptz.viewport(route.camera);
                if (preEncoded) {
                    loop = m_context.loops.get(route.camera, route.width, route.height, viewport,
                                               *frames);
                    if (!loop)
                        return;
                    body = (*loop)[jpegFrames % loop->size()];
                } else {
                    generated = frames->make({route.camera, route.width, route.height, jpegFrames,
                                              frameTime(jpegFrames), viewport});
                    if (generated.empty())
                        return;
                    body = generated;
                }
                ++jpegFrames;
                break;
            }
            case PartKind::Text:
                type = "text/plain";
                generated = "camera=" + std::to_string(route.camera) +
                            " frame=" + std::to_string(jpegFrames) + "\r\n";
                body = generated;
                break;
            case PartKind::Html:
                type = "text/html";
                generated = "<html><body><p>camera " + std::to_string(route.camera) + " frame " +
                            std::to_string(jpegFrames) + "</p></body></html>\r\n";
                body = generated;
                break;
            case PartKind::Audio:
                type = "audio/G723";
                for (int i = 0; i < 24; ++i)
                    generated += static_cast<char>((config.seed + k * 31 + i * 7) & 0xFF);
                body = generated;
                break;
            }

            part = marker + le;
            std::vector<std::size_t> cuts;
            const std::size_t contentTypeLine = part.size();
            part += "Content-Type: " + std::string(type) + le;
            if (format.partContentLength)
                part += "Content-Length: " + std::to_string(body.size()) + le;
            for (const std::string& line : format.extraPartHeaders)
                part += line + le;
            if (faults.hugeHeaderBytes > 0)
                part += "X-Padding: " + std::string(faults.hugeHeaderBytes, 'x') + le;
            part += le;
            for (SplitPoint point : faults.splitPoints) {
                switch (point) {
                case SplitPoint::InsideMarker:
                    cuts.push_back(marker.size() / 2);
                    break;
                case SplitPoint::InsideHeaderLine:
                    cuts.push_back(contentTypeLine + 8);
                    break;
                case SplitPoint::BetweenCrLf:
                    if (le.size() == 2)
                        cuts.push_back(part.size() - 1);
                    break;
                }
            }
            const std::string_view pieces[] = {part, body, le};
            if (!m_writer.write(pieces, std::move(cuts)))
                return;
            ++m_context.partsServed;

            const int sent = static_cast<int>(k + 1);
            if (sent != faults.stopAfterParts && sent != faults.closeAfterParts &&
                sent != faults.resetAfterParts)
                continue;
            // The next marker completes the last part for the client.
            if (!m_writer.write(marker + le))
                return;
            if (sent == faults.resetAfterParts) {
                m_connection.close(CloseMode::Reset);
            } else if (sent == faults.closeAfterParts) {
                m_channel.finish();
                m_connection.close(CloseMode::Fin);
            } else {
                drain();
            }
            return;
        }
    }

    SimContext& m_context;
    Connection& m_connection;
    Channel& m_channel;
    ResponseWriter m_writer;
    std::string m_buffer;       // bytes read but not yet used
    bool m_bodyPending = false; // the request's body is still to be read from the channel
    std::unique_ptr<FrameFactory> m_factory;
};

} // namespace

void serveHttp(SimContext& context, Connection& connection, Channel& channel)
{
    Session(context, connection, channel).run();
}

} // namespace camsim
