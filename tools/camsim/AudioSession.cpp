// The audio side of a simulated camera's HTTP: the sound stream (a tone coded with our codec,
// in multipart parts or as one endless body, paced in real time) and the upload that a client
// streams to the loudspeaker in one long POST, decoded as it arrives.

#include "tools/camsim/AudioUploadReader.h"
#include "tools/camsim/HttpReply.h"
#include "tools/camsim/SimContext.h"
#include "tools/camsim/SocketServer.h"
#include "tools/camsim/ToneEncoder.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <limits>

namespace camsim {

namespace {

constexpr std::size_t kReadChunk = 4096;

void logRequest(SimContext& context, Connection& connection, const HttpRequest& request, int status)
{
    context.requests.add({request, connection.localPort(), status});
}

// A short answer that ends the connection.
void refuse(SimContext& context, Connection& connection, Channel& channel,
            const HttpRequest& request, int status, const std::string& why = {})
{
    logRequest(context, connection, request, status);
    const std::string body = why.empty() ? errorPage(status) : why + "\r\n";
    const std::string head = replyHead(context, request, status) +
                             "Content-Type: " + (why.empty() ? "text/html" : "text/plain") +
                             "\r\nContent-Length: " + std::to_string(body.size()) +
                             "\r\nConnection: close\r\n\r\n";
    if (channel.write(head.data(), head.size()) && request.method != "HEAD")
        channel.write(body.data(), body.size());
    channel.finish();
}

// Reads and drops whatever comes until the peer closes, the connection is interrupted or the
// camera stops.
void drain(Channel& channel)
{
    char sink[512];
    while (channel.read(sink, sizeof sink) > 0) {
    }
}

} // namespace

void serveSoundStream(SimContext& context, Connection& connection, Channel& channel,
                      const HttpRequest& request)
{
    const AudioConfig& config = context.config.audio;
    if (request.method != "GET" && request.method != "HEAD")
        return refuse(context, connection, channel, request, 405);
    // The control always names the mode; a bare request gets the plain stream.
    const std::string mode = request.param("http-type").value_or("singlepart");
    const bool multipart = equalsIgnoringCase(mode, "multipart");
    if (!multipart && !equalsIgnoringCase(mode, "singlepart"))
        return refuse(context, connection, channel, request, 400, "Invalid http-type");
    if (config.faults.streamStatus != 0)
        return refuse(context, connection, channel, request, config.faults.streamStatus);
    AudioDaemon::Refusal refusal;
    std::unique_ptr<AudioDaemon::Slot> slot = context.audio.takeListener(connection, refusal);
    if (!slot)
        return refuse(context, connection, channel, request, 503,
                      refusal == AudioDaemon::Refusal::Full
                          ? "Maximum number of clients reached"
                          : "Audio output is off in this duplex mode");

    logRequest(context, connection, request, 200);
    const std::string_view type = audioContentType(config.encoding);
    const std::string boundary = context.config.stream.boundary;
    HttpRequest http10 = request;
    http10.version = "HTTP/1.0"; // streams answer as the cameras did: 1.0, closed at the end
    std::string head = replyHead(context, http10, 200) +
                       "Connection: close\r\nCache-Control: no-cache\r\nPragma: no-cache\r\n"
                       "Content-Type: ";
    head += multipart ? "multipart/x-mixed-replace; boundary=" + boundary : std::string(type);
    head += "\r\n\r\n";
    if (!channel.write(head.data(), head.size()) || request.method == "HEAD")
        return;

    ToneEncoder encoder(config);
    const std::string partHead =
        "--" + boundary + "\r\nContent-Type: " + std::string(type) + "\r\nContent-Length: ";
    const auto interval =
        std::chrono::microseconds(static_cast<long long>(config.partSamples) * 1000000 / 8000);
    const auto start = std::chrono::steady_clock::now();
    for (std::uint64_t k = 0;; ++k) {
        if (!context.audio.sleepUntil(*slot, start + k * interval) || context.stop.stopped())
            break;
        const std::string_view codes = encoder.nextPart();
        bool written;
        if (multipart) {
            const std::string lead = partHead + std::to_string(codes.size()) + "\r\n\r\n";
            const std::string_view pieces[] = {lead, codes, "\r\n"};
            written = channel.write(pieces);
        } else {
            written = channel.write(codes.data(), codes.size());
        }
        if (!written)
            return;
        context.audio.countPart();

        const auto sent = static_cast<long long>(k + 1);
        if (sent == config.faults.closeStreamAfterParts) {
            channel.finish();
            connection.close(CloseMode::Fin);
            return;
        }
        if (sent == config.faults.stallStreamAfterParts) {
            drain(channel); // until the client gives up or the camera reconfigures
            break;
        }
    }
    if (slot->kicked())
        connection.close(CloseMode::Reset);
}

void serveAudioUpload(SimContext& context, Connection& connection, Channel& channel,
                      const HttpRequest& request, std::string bodyStart)
{
    const AudioFaults& faults = context.config.audio.faults;
    if (request.method != "POST")
        return refuse(context, connection, channel, request, 405);
    if (auto coding = request.header("Transfer-Encoding");
        coding && !equalsIgnoringCase(*coding, "identity"))
        return refuse(context, connection, channel, request, 501,
                      "Transfer-Encoding " + *coding + " is not supported; send Content-Length");
    if (faults.uploadStatus != 0)
        return refuse(context, connection, channel, request, faults.uploadStatus);
    const std::string contentType = request.header("Content-Type").value_or("");
    std::string error;
    std::unique_ptr<AudioUploadReader> reader = AudioUploadReader::create(contentType, error);
    if (!reader)
        return refuse(context, connection, channel, request, 415, error);
    AudioDaemon::Refusal refusal;
    std::unique_ptr<AudioDaemon::Slot> slot = context.audio.takeTalker(connection, refusal);
    if (!slot)
        return refuse(context, connection, channel, request, 503,
                      refusal == AudioDaemon::Refusal::Full
                          ? "The camera is receiving audio from another client"
                          : "Audio input is off in this duplex mode");

    logRequest(context, connection, request, 200);
    if (auto expect = request.header("Expect");
        expect && equalsIgnoringCase(*expect, "100-continue")) {
        constexpr std::string_view kContinue = "HTTP/1.1 100 Continue\r\n\r\n";
        if (!channel.write(kContinue.data(), kContinue.size()))
            return;
    }
    AudioUpload record;
    record.contentType = contentType;
    record.multipart = reader->multipart();
    const std::optional<std::string> length = request.header("Content-Length");
    record.declaredBytes = length ? std::strtoull(length->c_str(), nullptr, 10) : 0;
    // Without a length the body lasts until the client closes.
    const std::uint64_t declared =
        length ? record.declaredBytes : std::numeric_limits<std::uint64_t>::max();
    const std::uint64_t dropAt = faults.dropUploadAfterBytes >= 0
                                     ? static_cast<std::uint64_t>(faults.dropUploadAfterBytes)
                                     : std::numeric_limits<std::uint64_t>::max();
    const std::size_t index = context.audio.beginUpload(std::move(record));

    std::uint64_t received = 0;
    auto take = [&](std::string_view bytes) {
        reader->feed(bytes);
        AudioUploadReader::Output out = reader->take();
        context.audio.addToUpload(index, {bytes.size(), out.codes, out.samples, out.frames,
                                          out.badFrames, out.codecType});
        received += bytes.size();
    };
    char chunk[kReadChunk];
    std::string_view piece(bodyStart);
    for (;;) {
        piece = piece.substr(0, std::min<std::uint64_t>(piece.size(), declared - received));
        if (received + piece.size() >= dropAt) {
            take(piece.substr(0, dropAt - received));
            connection.close(faults.dropUploadMode == UploadDrop::Reset ? CloseMode::Reset
                                                                        : CloseMode::Fin);
            context.audio.endUpload(index, true,
                                    "dropped after " + std::to_string(dropAt) + " body bytes");
            return;
        }
        take(piece);
        if (received == declared)
            break;
        const std::size_t n = channel.read(chunk, sizeof chunk);
        if (n == 0 || slot->kicked())
            break;
        piece = std::string_view(chunk, n);
    }
    if (slot->kicked()) {
        connection.close(CloseMode::Reset);
        context.audio.endUpload(index, true, "ended by an audio reconfiguration");
        return;
    }
    reader->finish();
    AudioUploadReader::Output out = reader->take();
    context.audio.addToUpload(
        index, {0, out.codes, out.samples, out.frames, out.badFrames, out.codecType});
    context.audio.endUpload(index, false, reader->error());
    if (received < declared && faults.holdTalkerAfterCloseMs > 0)
        context.audio.sleepUntil(*slot,
                                 std::chrono::steady_clock::now() +
                                     std::chrono::milliseconds(faults.holdTalkerAfterCloseMs));
    if (received == declared) {
        const std::string body = "OK\r\n";
        const std::string head =
            replyHead(context, request, 200) +
            "Content-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
            "\r\nConnection: close\r\n\r\n";
        if (channel.write(head.data(), head.size()))
            channel.write(body.data(), body.size());
        channel.finish();
    }
}

} // namespace camsim
