// The simulated camera's audio: its "root.Audiod." parameters, the sound stream in both modes,
// the upload decoded as it arrives, the listener and talker slots and the audio faults, over
// real sockets on loopback with a raw client of the tests' own.

#include "testsupport/AudioCoding.h"
#include "testsupport/CamSimFixture.h"
#include "testsupport/ToneAnalysis.h"
#include "testsupport/WaitUntil.h"
#include "tools/camsim/tests/TestClient.h"

#include <cerrno>
#include <gtest/gtest.h>

using namespace camsim;
using namespace camsim::test;
using namespace std::chrono_literals;
using orvel::codec::CodecType;

namespace {

std::vector<std::string> encodeBlocks(CodecType type, double hz, int blocks, int blockSamples)
{
    return audiotest::encodeBlocks(
        type, [hz](std::uint64_t n) { return audiotest::sine(hz, 6000, n); }, blocks, blockSamples);
}

std::string joined(const std::vector<std::string>& pieces)
{
    std::string all;
    for (const std::string& piece : pieces)
        all += piece;
    return all;
}

std::string paramValue(const std::string& body, const std::string& key)
{
    const std::string line = "root.Audiod." + key + "=";
    std::size_t at = body.find(line);
    if (at == std::string::npos)
        return "<absent>";
    at += line.size();
    return body.substr(at, body.find("\r\n", at) - at);
}

std::string uploadHead(const std::string& contentType, std::uint64_t length = 999999999,
                       const std::string& extraHeaders = {})
{
    return "POST " + CamSim::audioUploadPath() +
           " HTTP/1.1\r\nHost: camera\r\nUser-Agent: Kiv Client\r\nContent-Type: " + contentType +
           "\r\nContent-Length: " + std::to_string(length) + "\r\n" + extraHeaders + "\r\n";
}

const std::string kFramePrefix = "\r\n--myboundary\r\nContent-type: audio/32KADPCM\r\n\r\n";

class CamSimAudioTest : public CamSimFixture {
protected:
    CamSim* audioCamera(AudioConfig audio = {})
    {
        CamSimConfig config;
        config.model = "OD45";
        config.audio = std::move(audio);
        return startCamera(config);
    }
    std::string parameters(CamSim& cam)
    {
        return fetch(cam.config().address, 80, CamSim::audioParameterPath()).body;
    }
};

TEST_F(CamSimAudioTest, ParametersReportTheConfigurationAndTheLiveSlots)
{
    CamSim* cam = audioCamera();
    ASSERT_TRUE(cam);
    ASSERT_TRUE(cam->hasAudio());
    std::string body = parameters(*cam);
    EXPECT_EQ(body, "root.Audiod.duplexMode=full\r\n"
                    "root.Audiod.maxNumberOfClients=4\r\n"
                    "root.Audiod.connectedClients=0\r\n"
                    "root.Audiod.connectedPostClients=0\r\n"
                    "root.Audiod.forwardOnPost=no\r\n"
                    "root.Audiod.buttonMode=toggle\r\n"
                    "root.Audiod.audioEncoding=G721\r\n"
                    "root.Audiod.httpMessageType=multipart\r\n"
                    "root.Audiod.microphoneMode=unmuted\r\n"
                    "root.Audiod.forceMicrophoneMode=no\r\n"
                    "root.Audiod.speakerMode=unmuted\r\n"
                    "root.Audiod.forceSpeakerMode=no\r\n"
                    "root.Audiod.bufferLevel=3\r\n"
                    "root.Audiod.forceBufferLevel=no\r\n");

    RawClient listener(cam->config().address, 80);
    ASSERT_TRUE(listener.get(CamSim::audioStreamPath() + "?http-type=multipart"));
    RawClient talker(cam->config().address, 80);
    ASSERT_TRUE(talker.send(uploadHead("audio/32KADPCM")));
    ASSERT_TRUE(cam->waitForAudioClients(1, 1, 5s));
    body = parameters(*cam);
    EXPECT_EQ(paramValue(body, "connectedClients"), "2"); // talkers count among the clients
    EXPECT_EQ(paramValue(body, "connectedPostClients"), "1");
}

TEST_F(CamSimAudioTest, ConfiguredModesAndFlagsAreWhatTheParametersSay)
{
    AudioConfig audio;
    audio.duplex = AudioDuplex::DisabledHalf;
    audio.encoding = AudioEncoding::G723;
    audio.messageType = AudioMessageType::Singlepart;
    audio.buttonMode = AudioButtonMode::Instant;
    audio.speakerMuted = true;
    audio.forceSpeaker = true;
    audio.microphoneMuted = true;
    audio.forceMicrophone = true;
    audio.bufferLevel = 0;
    audio.forceBufferLevel = true;
    audio.maxListeners = 2;
    CamSim* cam = audioCamera(audio);
    ASSERT_TRUE(cam);
    const std::string body = parameters(*cam);
    EXPECT_EQ(paramValue(body, "duplexMode"), "disabled_half");
    EXPECT_EQ(paramValue(body, "audioEncoding"), "G723");
    EXPECT_EQ(paramValue(body, "httpMessageType"), "singlepart");
    EXPECT_EQ(paramValue(body, "buttonMode"), "instant");
    EXPECT_EQ(paramValue(body, "speakerMode"), "muted");
    EXPECT_EQ(paramValue(body, "forceSpeakerMode"), "yes");
    EXPECT_EQ(paramValue(body, "microphoneMode"), "muted");
    EXPECT_EQ(paramValue(body, "forceMicrophoneMode"), "yes");
    EXPECT_EQ(paramValue(body, "bufferLevel"), "0");
    EXPECT_EQ(paramValue(body, "forceBufferLevel"), "yes");
    EXPECT_EQ(paramValue(body, "maxNumberOfClients"), "2");

    // The whole list carries them too, after the camera's own lines.
    const std::string all =
        fetch(cam->config().address, 80, "/orvel-cgi/view/param.cgi?action=list&group=").body;
    EXPECT_NE(all.find("root.Properties.PTZ.PTZ=yes\r\nroot.Audiod.duplexMode=disabled_half\r\n"),
              std::string::npos);
}

TEST_F(CamSimAudioTest, ACameraWithoutAudioHasNoneOfIt)
{
    CamSim* cam = startCamera(); // OS34
    ASSERT_TRUE(cam);
    EXPECT_FALSE(cam->hasAudio());
    EXPECT_EQ(fetch(cam->config().address, 80, CamSim::audioParameterPath()).body,
              "# Error: Error -1 getting param in group 'root.Audiod'\r\n");
    EXPECT_EQ(fetch(cam->config().address, 80, CamSim::audioStreamPath()).status, 404);

    CamSimConfig config; // the same model with audio switched on
    config.audio.enabled = true;
    CamSim* withAudio = startCamera(config);
    ASSERT_TRUE(withAudio);
    EXPECT_EQ(paramValue(parameters(*withAudio), "duplexMode"), "full");
    // The camera's own page then plays its sound and shows the sound panel.
    EXPECT_EQ(fetch(cam->config().address, 80, "/").body.find("SoundURL"), std::string::npos);
    const std::string page = fetch(withAudio->config().address, 80, "/").body;
    EXPECT_NE(page.find("<param name=\"SoundURL\" value=\"/orvel-cgi/audio/receive.cgi\">"),
              std::string::npos);
    EXPECT_NE(page.find("<param name=\"RecordSoundURL\" value=\"/orvel-cgi/audio/transmit.cgi\">"),
              std::string::npos);
    EXPECT_NE(page.find("<param name=\"DisplaySoundPanel\" value=\"1\">"), std::string::npos);
}

TEST_F(CamSimAudioTest, MultipartStreamCarriesTheToneInRealTime)
{
    for (AudioEncoding encoding : {AudioEncoding::G721, AudioEncoding::G723}) {
        const bool g723 = encoding == AudioEncoding::G723;
        AudioConfig audio;
        audio.encoding = encoding;
        audio.toneHz = g723 ? 600 : 1000;
        CamSim* cam = audioCamera(audio);
        ASSERT_TRUE(cam);
        RawClient client(cam->config().address, 80);
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(client.get(CamSim::audioStreamPath() + "?http-type=multipart"));
        constexpr int kParts = 12; // 720 ms
        ASSERT_TRUE(client.readUntil(
            [](const std::string& bytes) { return countOf(bytes, "--myboundary\r\n") > kParts; },
            5s));
        const auto elapsed = std::chrono::steady_clock::now() - start;
        // Part k leaves at k * 60 ms; a generous margin for a loaded machine.
        EXPECT_GE(elapsed, 500ms);

        Reply reply;
        ASSERT_TRUE(parseReply(client.received(), reply));
        EXPECT_EQ(reply.statusLine, "HTTP/1.0 200 OK");
        EXPECT_EQ(reply.header("Content-Type"), "multipart/x-mixed-replace; boundary=myboundary");
        std::vector<Part> parts = splitParts(reply.body, "--myboundary");
        ASSERT_GE(parts.size(), std::size_t{kParts});
        std::string codes;
        for (const Part& part : parts) {
            EXPECT_EQ(part.header("Content-Type"), g723 ? "audio/G723" : "audio/32KADPCM");
            EXPECT_EQ(part.body.size(), g723 ? 180u : 240u); // 480 samples of 3 or 4 bits
            EXPECT_EQ(part.header("Content-Length"), std::to_string(part.body.size()));
            codes += part.body;
        }
        const auto samples =
            audiotest::decodeCodes(g723 ? CodecType::G723_24 : CodecType::G721, codes);
        ASSERT_EQ(samples.size(), parts.size() * 480);
        const std::span<const std::int16_t> settled(samples.begin() + 400, samples.end());
        EXPECT_EQ(audiotest::dominantFrequency(settled), audio.toneHz) << "G723 " << g723;
        // The tone's energy, A²/2, survives the coding within a few dB.
        const double expected = 8000.0 * 8000.0 / 2;
        EXPECT_GT(audiotest::meanSquare(settled), expected * 0.7);
        EXPECT_LT(audiotest::meanSquare(settled), expected * 1.4);
        EXPECT_GE(cam->audioPartsServed(), std::uint64_t{kParts});
    }
}

TEST_F(CamSimAudioTest, SinglepartStreamIsOneBodyOfCodes)
{
    AudioConfig audio;
    audio.encoding = AudioEncoding::G723;
    CamSim* cam = audioCamera(audio);
    ASSERT_TRUE(cam);
    RawClient client(cam->config().address, 80);
    ASSERT_TRUE(client.get(CamSim::audioStreamPath() + "?http-type=singlepart"));
    Reply reply;
    ASSERT_TRUE(client.readUntil(
        [&](const std::string& bytes) {
            return parseReply(bytes, reply) && reply.body.size() >= 1800;
        },
        5s));
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.header("Content-Type"), "audio/G723");
    EXPECT_EQ(reply.header("Content-Length"), "");
    const auto samples = audiotest::decodeCodes(CodecType::G723_24, reply.body.substr(0, 1800));
    EXPECT_EQ(audiotest::dominantFrequency(std::span(samples).subspan(400)), 1000.0);

    EXPECT_EQ(fetch(cam->config().address, 80, CamSim::audioStreamPath() + "?http-type=rtp").status,
              400);
}

TEST_F(CamSimAudioTest, MultipartUploadIsDecodedAsItArrives)
{
    CamSim* cam = audioCamera();
    ASSERT_TRUE(cam);
    const auto blocks = encodeBlocks(CodecType::G721, 500, 20, 450); // 225 bytes each
    std::string body;
    for (const std::string& block : blocks)
        body += kFramePrefix + block;
    // A frame of a type the camera does not play is skipped.
    body += "\r\n--myboundary\r\nContent-type: audio/x-unknown\r\n\r\nnot audio";
    body += kFramePrefix + blocks[0];

    auto client = std::make_unique<RawClient>(cam->config().address, 80);
    ASSERT_TRUE(client->send(uploadHead("multipart/x-mixed-replace; boundary=myboundary")));
    // In small pieces, so that markers and headers arrive cut in every way.
    for (std::size_t at = 0; at < body.size(); at += 7)
        ASSERT_TRUE(client->send(body.substr(at, 7)));

    const std::string expected = joined(blocks) + blocks[0];
    ASSERT_TRUE(cam->waitForAudioUploads(
        [&](const std::vector<AudioUpload>& uploads) {
            // The newest frame has no marker after it yet: what could begin one waits.
            return uploads.size() == 1 && uploads[0].frames == 22 &&
                   uploads[0].codedBytes + 13 >= expected.size();
        },
        5s))
        << (cam->audioUploads().empty() ? 0 : cam->audioUploads()[0].codedBytes);
    EXPECT_EQ(cam->audioTalkers(), 1);
    client.reset(); // the talker hangs up: the upload ends there
    ASSERT_TRUE(cam->waitForAudioUploads(
        [](const std::vector<AudioUpload>& uploads) { return uploads[0].ended; }, 5s));
    const AudioUpload upload = cam->audioUploads()[0];
    EXPECT_TRUE(upload.multipart);
    EXPECT_FALSE(upload.dropped);
    EXPECT_EQ(upload.error, "");
    EXPECT_EQ(upload.declaredBytes, 999999999u);
    EXPECT_EQ(upload.bodyBytes, body.size());
    EXPECT_EQ(upload.frames, 22);
    EXPECT_EQ(upload.badFrames, 1);
    EXPECT_EQ(upload.codecType, 2);
    EXPECT_EQ(upload.codes, expected);
    EXPECT_EQ(upload.samples, audiotest::decodeCodes(CodecType::G721, expected));
    EXPECT_EQ(audiotest::dominantFrequency(std::span(upload.samples).subspan(400, 8000)), 500.0);
    EXPECT_TRUE(cam->waitForAudioClients(0, 0, 5s));
}

TEST_F(CamSimAudioTest, SinglepartUploadOfG723IsOneStreamOfCodes)
{
    CamSim* cam = audioCamera();
    ASSERT_TRUE(cam);
    // 448 samples a block: whole bytes at 3 bits, so no padding codes come between blocks.
    const std::string codes = joined(encodeBlocks(CodecType::G723_24, 750, 10, 448));
    RawClient client(cam->config().address, 80);
    ASSERT_TRUE(client.send(uploadHead("audio/G723", codes.size(), "Expect: 100-continue\r\n")));
    const std::string goOn = "HTTP/1.1 100 Continue\r\n\r\n";
    ASSERT_TRUE(client.readUntil([&](const std::string& bytes) { return bytes == goOn; }));
    ASSERT_TRUE(client.send(codes));
    // The declared body complete, the camera answers and closes.
    ASSERT_TRUE(client.readUntilClosed());
    Reply reply;
    ASSERT_TRUE(parseReply(client.received().substr(goOn.size()), reply));
    EXPECT_EQ(reply.status, 200);
    ASSERT_TRUE(cam->waitForAudioUploads(
        [](const std::vector<AudioUpload>& uploads) {
            return uploads.size() == 1 && uploads[0].ended;
        },
        5s));
    const AudioUpload upload = cam->audioUploads()[0];
    EXPECT_FALSE(upload.multipart);
    EXPECT_EQ(upload.frames, 0);
    EXPECT_EQ(upload.codecType, 3);
    EXPECT_EQ(upload.codes, codes);
    EXPECT_EQ(upload.samples, audiotest::decodeCodes(CodecType::G723_24, codes));
    EXPECT_EQ(upload.samples.size(), 4480u);
    EXPECT_EQ(audiotest::dominantFrequency(std::span(upload.samples).subspan(400)), 750.0);

    // What the camera cannot play is refused before a slot is taken.
    RawClient other(cam->config().address, 80);
    ASSERT_TRUE(other.send(uploadHead("text/plain", 4) + "text"));
    ASSERT_TRUE(other.readUntilClosed());
    ASSERT_TRUE(parseReply(other.received(), reply));
    EXPECT_EQ(reply.status, 415);
    EXPECT_EQ(reply.body, "unsupported audio type \"text/plain\"\r\n");
    RawClient noBoundary(cam->config().address, 80);
    ASSERT_TRUE(noBoundary.send(uploadHead("multipart/x-mixed-replace", 4) + "text"));
    ASSERT_TRUE(noBoundary.readUntilClosed());
    ASSERT_TRUE(parseReply(noBoundary.received(), reply));
    EXPECT_EQ(reply.status, 415);
    EXPECT_EQ(cam->audioUploads().size(), 1u);
}

TEST_F(CamSimAudioTest, SlotsAreCountedAndRefusedWhenTaken)
{
    AudioConfig audio;
    audio.maxListeners = 1;
    CamSim* cam = audioCamera(audio);
    ASSERT_TRUE(cam);
    const std::string& address = cam->config().address;
    auto listener = std::make_unique<RawClient>(address, 80);
    ASSERT_TRUE(listener->get(CamSim::audioStreamPath() + "?http-type=singlepart"));
    auto talker = std::make_unique<RawClient>(address, 80);
    ASSERT_TRUE(talker->send(uploadHead("audio/32KADPCM")));
    ASSERT_TRUE(cam->waitForAudioClients(1, 1, 5s));

    Reply refused = fetch(address, 80, CamSim::audioStreamPath() + "?http-type=multipart");
    EXPECT_EQ(refused.status, 503);
    EXPECT_EQ(refused.body, "Maximum number of clients reached\r\n");
    RawClient second(address, 80);
    ASSERT_TRUE(second.send(uploadHead("audio/32KADPCM")));
    ASSERT_TRUE(second.readUntilClosed());
    ASSERT_TRUE(parseReply(second.received(), refused));
    EXPECT_EQ(refused.status, 503);
    EXPECT_EQ(refused.body, "The camera is receiving audio from another client\r\n");

    listener.reset();
    talker.reset();
    ASSERT_TRUE(cam->waitForAudioClients(0, 0, 5s));
    RawClient again(address, 80);
    ASSERT_TRUE(again.get(CamSim::audioStreamPath() + "?http-type=multipart"));
    EXPECT_TRUE(cam->waitForAudioClients(1, 0, 5s));
}

TEST_F(CamSimAudioTest, TheDuplexModeDecidesWhichWayAudioGoes)
{
    struct Case {
        AudioDuplex duplex;
        bool listen;
        bool talk;
    };
    for (Case c : {Case{AudioDuplex::Half, true, true}, Case{AudioDuplex::ListenOnly, true, false},
                   Case{AudioDuplex::TalkOnly, false, true},
                   Case{AudioDuplex::DisabledFull, false, false}}) {
        AudioConfig audio;
        audio.duplex = c.duplex;
        CamSim* cam = audioCamera(audio);
        ASSERT_TRUE(cam);
        const std::string& address = cam->config().address;
        RawClient listener(address, 80);
        ASSERT_TRUE(listener.get(CamSim::audioStreamPath() + "?http-type=singlepart"));
        Reply reply;
        ASSERT_TRUE(listener.readUntil(
            [&](const std::string& bytes) { return parseReply(bytes, reply); }, 5s));
        EXPECT_EQ(reply.status, c.listen ? 200 : 503) << duplexName(c.duplex);
        RawClient talker(address, 80);
        ASSERT_TRUE(talker.send(uploadHead("audio/32KADPCM")));
        if (c.talk) {
            EXPECT_TRUE(cam->waitForAudioClients(c.listen ? 1 : 0, 1, 5s)) << duplexName(c.duplex);
        } else {
            ASSERT_TRUE(talker.readUntilClosed());
            ASSERT_TRUE(parseReply(talker.received(), reply));
            EXPECT_EQ(reply.status, 503) << duplexName(c.duplex);
            EXPECT_EQ(reply.body, "Audio input is off in this duplex mode\r\n");
        }
    }
}

TEST_F(CamSimAudioTest, FaultsRefuseDropCloseAndStall)
{
    AudioConfig audio;
    audio.faults.streamStatus = 503;
    audio.faults.uploadStatus = 503;
    CamSim* refusing = audioCamera(audio);
    ASSERT_TRUE(refusing);
    EXPECT_EQ(
        fetch(refusing->config().address, 80, CamSim::audioStreamPath() + "?http-type=singlepart")
            .status,
        503);
    RawClient talker(refusing->config().address, 80);
    ASSERT_TRUE(talker.send(uploadHead("audio/32KADPCM")));
    ASSERT_TRUE(talker.readUntilClosed());
    Reply reply;
    ASSERT_TRUE(parseReply(talker.received(), reply));
    EXPECT_EQ(reply.status, 503);
    // The parameters still answer: only the audio itself is refused.
    EXPECT_EQ(paramValue(parameters(*refusing), "duplexMode"), "full");

    audio = {};
    audio.faults.dropUploadAfterBytes = 1000;
    audio.faults.closeStreamAfterParts = 3;
    CamSim* dropping = audioCamera(audio);
    ASSERT_TRUE(dropping);
    RawClient uploader(dropping->config().address, 80);
    ASSERT_TRUE(uploader.send(uploadHead("multipart/x-mixed-replace; boundary=myboundary")));
    const std::string frames = [] {
        std::string all;
        for (const std::string& block : encodeBlocks(CodecType::G721, 500, 8, 450))
            all += kFramePrefix + block;
        return all;
    }();
    uploader.send(frames); // 2176 bytes: the camera resets after 1000
    ASSERT_TRUE(uploader.readUntilClosed());
    EXPECT_EQ(uploader.readError(), ECONNRESET);
    ASSERT_TRUE(dropping->waitForAudioUploads(
        [](const std::vector<AudioUpload>& uploads) {
            return uploads.size() == 1 && uploads[0].ended;
        },
        5s));
    AudioUpload upload = dropping->audioUploads()[0];
    EXPECT_TRUE(upload.dropped);
    EXPECT_EQ(upload.bodyBytes, 1000u);
    EXPECT_EQ(upload.error, "dropped after 1000 body bytes");
    EXPECT_EQ(upload.frames, 4); // 272 bytes a frame
    EXPECT_TRUE(dropping->waitForAudioClients(0, 0, 5s));

    RawClient listener(dropping->config().address, 80);
    ASSERT_TRUE(listener.get(CamSim::audioStreamPath() + "?http-type=multipart"));
    ASSERT_TRUE(listener.readUntilClosed());
    EXPECT_EQ(listener.readError(), 0); // an orderly close
    ASSERT_TRUE(parseReply(listener.received(), reply));
    EXPECT_EQ(splitParts(reply.body + "\r\n--myboundary", "--myboundary").size(), 3u);

    audio = {};
    audio.faults.stallStreamAfterParts = 2;
    CamSim* stalling = audioCamera(audio);
    ASSERT_TRUE(stalling);
    RawClient stalled(stalling->config().address, 80);
    ASSERT_TRUE(stalled.get(CamSim::audioStreamPath() + "?http-type=singlepart"));
    ASSERT_TRUE(stalled.readUntil([](const std::string& bytes) {
        Reply r;
        return parseReply(bytes, r) && r.body.size() == 480;
    }));
    EXPECT_TRUE(stalled.staysQuiet(300ms));
    EXPECT_EQ(stalling->audioListeners(), 1);
}

TEST_F(CamSimAudioTest, ReconfiguringTheDuplexModeResetsEveryAudioConnection)
{
    CamSim* cam = audioCamera();
    ASSERT_TRUE(cam);
    const std::string& address = cam->config().address;
    RawClient listener(address, 80);
    ASSERT_TRUE(listener.get(CamSim::audioStreamPath() + "?http-type=multipart"));
    RawClient talker(address, 80);
    ASSERT_TRUE(talker.send(uploadHead("audio/32KADPCM") + std::string(100, '\x11')));
    ASSERT_TRUE(cam->waitForAudioUploads(
        [](const std::vector<AudioUpload>& uploads) {
            return uploads.size() == 1 && uploads[0].codedBytes == 100;
        },
        5s));
    ASSERT_TRUE(cam->waitForAudioClients(1, 1, 5s));

    cam->reconfigureAudio(AudioDuplex::Half);
    EXPECT_EQ(cam->audioDuplex(), AudioDuplex::Half);
    ASSERT_TRUE(listener.readUntilClosed());
    EXPECT_EQ(listener.readError(), ECONNRESET);
    ASSERT_TRUE(talker.readUntilClosed());
    EXPECT_EQ(talker.readError(), ECONNRESET);
    EXPECT_TRUE(cam->waitForAudioClients(0, 0, 5s));
    const AudioUpload upload = cam->audioUploads()[0];
    EXPECT_TRUE(upload.ended);
    EXPECT_TRUE(upload.dropped);
    EXPECT_EQ(upload.error, "ended by an audio reconfiguration");
    EXPECT_EQ(paramValue(parameters(*cam), "duplexMode"), "half");
    EXPECT_EQ(paramValue(parameters(*cam), "connectedClients"), "0");

    // New clients are served in the new mode.
    RawClient again(address, 80);
    ASSERT_TRUE(again.get(CamSim::audioStreamPath() + "?http-type=multipart"));
    EXPECT_TRUE(cam->waitForAudioClients(1, 0, 5s));
}

} // namespace
