// Sound end to end: the simulated camera's tone travels through the control to the null output
// device, and a tone captured from the null input travels through the control's upload to the
// camera, which decodes it. Real sockets, the real control hosted as the page host hosts it,
// the real codec at both ends.

#include "control/tests/AudioHost.h"
#include "platform/audio/NullAudioTap.h"
#include "testsupport/AudioCoding.h"
#include "testsupport/ToneAnalysis.h"
#include "tools/camsim/ToneEncoder.h"

#include <atomic>

namespace pictra::test {
namespace {

using orvel::audio::NullAudioTap;
using orvel::codec::CodecType;

constexpr int kCaptureBlockSamples = 450; // the control's 900-byte capture blocks
constexpr double kCaptureHz = 500.0;
constexpr int kCaptureAmplitude = 6000;

std::int16_t captureSample(std::uint64_t n)
{
    return audiotest::sine(kCaptureHz, kCaptureAmplitude, n);
}

class CamImageAudioEndToEndTest : public CamImageAudioTest {
protected:
    void SetUp() override
    {
        CamImageAudioTest::SetUp();
        NullAudioTap::recordPlayback(true);
    }
    void TearDown() override
    {
        CamImageAudioTest::TearDown();
        NullAudioTap::recordPlayback(false);
        NullAudioTap::setCaptureSource({});
    }

    // Plays the camera's tone through the control and checks what the null device played.
    void receiveTone(camsim::AudioEncoding encoding, camsim::AudioMessageType messageType)
    {
        camsim::CamSimConfig config;
        config.model = "OD45";
        config.audio.duplex = camsim::AudioDuplex::ListenOnly;
        config.audio.encoding = encoding;
        config.audio.messageType = messageType;
        config.audio.toneHz = 1000;
        camsim::CamSim* camera = startCamera(config);
        ASSERT_TRUE(camera);
        // Listening needs no panel.
        hostAudio(*camera, {.talk = false, .panel = false});
        // A second of sound: long enough for the spectrum, short for the test.
        ASSERT_TRUE(waitFor([] { return NullAudioTap::playedBytes() >= 16000; }, 10s))
            << NullAudioTap::playedBytes() << " bytes played";
        EXPECT_TRUE(messages().empty()) << messages().front();
        EXPECT_EQ(camera->audioListeners(), 1);

        const std::vector<std::uint8_t> played = NullAudioTap::played();
        const std::vector<std::int16_t> samples = audiotest::pcmSamples(played);
        // The first parts played are the stream's first parts, decoded with our codec from
        // the reset state: sample for sample what the camera coded.
        camsim::ToneEncoder encoder(config.audio);
        std::string codes;
        for (int part = 0; part < 5; ++part)
            codes += encoder.nextPart();
        const CodecType type =
            encoding == camsim::AudioEncoding::G723 ? CodecType::G723_24 : CodecType::G721;
        const std::vector<std::int16_t> expected = audiotest::decodeCodes(type, codes);
        ASSERT_GE(samples.size(), expected.size());
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), samples.begin()));

        // And it sounds like the tone: 1000 Hz dominates, at the tone's energy (A²/2).
        const std::span<const std::int16_t> settled(samples.begin() + 400, samples.end());
        EXPECT_EQ(audiotest::dominantFrequency(settled), 1000.0);
        const double energy = double(config.audio.toneAmplitude) * config.audio.toneAmplitude / 2;
        EXPECT_GT(audiotest::meanSquare(settled), energy * 0.7);
        EXPECT_LT(audiotest::meanSquare(settled), energy * 1.4);
        EXPECT_GT(audiotest::powerAt(settled, 1000), 100 * audiotest::powerAt(settled, 2000));
    }

    // Talks a tone from the null input through the control to the camera.
    void sendTone(camsim::AudioEncoding encoding, camsim::AudioMessageType messageType)
    {
        // Owned by the source: the device thread may still call it after this function.
        auto next = std::make_shared<std::atomic<std::uint64_t>>(0);
        NullAudioTap::setCaptureSource([next](std::uint8_t* data, std::size_t length) {
            for (std::size_t i = 0; i + 1 < length; i += 2) {
                const auto value = static_cast<std::uint16_t>(captureSample((*next)++));
                data[i] = static_cast<std::uint8_t>(value & 0xff);
                data[i + 1] = static_cast<std::uint8_t>(value >> 8);
            }
        });
        camsim::CamSimConfig config;
        config.model = "OD45";
        config.audio.duplex = camsim::AudioDuplex::TalkOnly;
        config.audio.encoding = encoding;
        config.audio.messageType = messageType;
        config.audio.microphoneMuted = false;
        camsim::CamSim* camera = startCamera(config);
        ASSERT_TRUE(camera);
        hostAudio(*camera, {.listen = false}, 320);
        ASSERT_TRUE(panel());
        click("talkButton");

        const bool g723 = encoding == camsim::AudioEncoding::G723;
        const CodecType type = g723 ? CodecType::G723_24 : CodecType::G721;
        // 450 codes; at 3 bits padded with zero codes to 456, 171 bytes.
        const std::size_t blockBytes = g723 ? 171 : 225;
        constexpr int kBlocks = 16; // 0.9 s of talk
        ASSERT_TRUE(camera->waitForAudioUploads(
            [&](const std::vector<camsim::AudioUpload>& uploads) {
                return !uploads.empty() && uploads.back().codedBytes >= kBlocks * blockBytes;
            },
            10s))
            << (camera->audioUploads().empty() ? 0 : camera->audioUploads().back().codedBytes);
        EXPECT_TRUE(messages().empty()) << messages().front();
        const camsim::AudioUpload upload = camera->audioUploads().back();
        EXPECT_EQ(upload.multipart, messageType == camsim::AudioMessageType::Multipart);
        EXPECT_EQ(upload.codecType, static_cast<int>(type));
        EXPECT_EQ(upload.badFrames, 0);

        // Our encoder on the same samples gives the bytes the camera received, from the first
        // block the control sent on (a block coded before the POST was open is not sent).
        const std::vector<std::string> blocks =
            audiotest::encodeBlocks(type, captureSample, kBlocks + 40, kCaptureBlockSamples);
        std::string expected;
        for (const std::string& block : blocks)
            expected += block;
        ASSERT_EQ(blocks[0].size(), blockBytes);
        std::size_t first = 0;
        while (first < 40 && expected.compare(first * blockBytes, blockBytes,
                                              upload.codes.substr(0, blockBytes)) != 0)
            ++first;
        ASSERT_LT(first, 40u) << "the first block received is none our encoder made";
        const std::string sent = upload.codes.substr(0, kBlocks * blockBytes);
        EXPECT_EQ(sent, expected.substr(first * blockBytes, sent.size()));
        // Decoded by the camera as our decoder decodes it.
        const std::vector<std::int16_t> heard = audiotest::decodeCodes(type, sent);
        ASSERT_GE(upload.samples.size(), heard.size());
        EXPECT_TRUE(std::equal(heard.begin(), heard.end(), upload.samples.begin()));
        const std::span<const std::int16_t> settled(upload.samples.begin() + 400,
                                                    upload.samples.end());
        EXPECT_EQ(audiotest::dominantFrequency(settled), kCaptureHz);

        click("talkButton"); // talk off: the upload ends
        ASSERT_TRUE(camera->waitForAudioClients(0, 0, 5s));
    }
};

TEST_F(CamImageAudioEndToEndTest, TheCamerasToneIsPlayedFromAMultipartStream)
{
    receiveTone(camsim::AudioEncoding::G721, camsim::AudioMessageType::Multipart);
}

TEST_F(CamImageAudioEndToEndTest, TheCamerasG723ToneIsPlayedFromASinglepartStream)
{
    receiveTone(camsim::AudioEncoding::G723, camsim::AudioMessageType::Singlepart);
}

TEST_F(CamImageAudioEndToEndTest, ACapturedToneReachesTheCameraBitExactlyInMultipartFrames)
{
    sendTone(camsim::AudioEncoding::G721, camsim::AudioMessageType::Multipart);
}

TEST_F(CamImageAudioEndToEndTest, ACapturedG723ToneReachesTheCameraBitExactlySinglepart)
{
    sendTone(camsim::AudioEncoding::G723, camsim::AudioMessageType::Singlepart);
}

} // namespace
} // namespace pictra::test
