// The control's audio against the simulator, hosted as the page host hosts it, driven through
// its sound panel as a user drives it: the parameter list decides the mode, the panel's
// buttons and speed list start and stop receive and talk, and the messages a user would see
// are answered by a scripted message box.

#include "control/SoundUpload.h"
#include "control/tests/AudioHost.h"
#include "platform/audio/Mixer.h"
#include "platform/audio/NullAudioTap.h"

#include <QAbstractItemView>

namespace pictra::test {
namespace {

using orvel::audio::NullAudioTap;

TEST_F(CamImageAudioTest, ARefusedSinglepartStreamLeavesTheControlSilentWithNoThread)
{
    camsim::CamSim* params = parameterCamera({{"httpMessageType", "singlepart"}});
    camsim::CamSimConfig refusing;
    refusing.faults.forceStatus = 503;
    camsim::CamSim* sound = startCamera(refusing);
    ASSERT_TRUE(params && sound);
    hostSound(*params, *sound, "/audio/receive");
    ASSERT_TRUE(panel());
    ASSERT_TRUE(waitFor([&] { return requestsFor(*sound, "http-type=singlepart") >= 1; }, 5s));
    pumpFor(300ms);
    EXPECT_FALSE(state("receiving").toBool());
    EXPECT_FALSE(state("readerThread").toBool());
    EXPECT_TRUE(messages().empty()) << messages().front();
    EXPECT_EQ(count("OnNewSoundSample"), 0);
}

TEST_F(CamImageAudioTest, MultipartSoundIsPlayedAndEachPartFiresOnNewSoundSample)
{
    camsim::CamSim* params = parameterCamera({{"duplexMode", "get"}, {"maxNumberOfClients", "4"}});
    camsim::CamSimConfig audio;
    audio.fps = 30;
    audio.stream.partCycle = {camsim::PartKind::Audio};
    camsim::CamSim* sound = startCamera(audio);
    ASSERT_TRUE(params && sound);
    hostSound(*params, *sound, kStreamPath);
    ASSERT_TRUE(waitFor([&] { return count("OnNewSoundSample") >= 5; }, 10s));
    EXPECT_TRUE(state("receiving").toBool());
    EXPECT_EQ(requestsFor(*sound, "http-type=multipart"), 1u);
    EXPECT_EQ(state("duplexMode").toInt(), 2);
    EXPECT_TRUE(state("microphoneMuted").toBool()) << "listen-only forces the microphone muted";
}

TEST_F(CamImageAudioTest, ChoosingTheSlowestSpeedRestartsWith15BlocksAndChoosingItAgainDoesNothing)
{
    camsim::CamSim* params = parameterCamera({{"bufferLevel", "3"}, {"maxNumberOfClients", "4"}});
    camsim::CamSimConfig audio;
    audio.stream.partCycle = {camsim::PartKind::Audio};
    camsim::CamSim* sound = startCamera(audio);
    ASSERT_TRUE(params && sound);
    hostSound(*params, *sound, kStreamPath);
    ASSERT_TRUE(waitFor([&] { return requestsFor(*sound, "http-type") >= 1; }, 5s));
    EXPECT_EQ(state("playbackBlocks").toInt(), 6);

    auto* list = panel()->findChild<QAbstractItemView*>("speedList");
    ASSERT_TRUE(list);
    auto choose = [&](int row) {
        click("speedText");
        ASSERT_TRUE(list->isVisible());
        QAbstractItemView* view = list;
        const QRect item = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    };
    choose(0);
    EXPECT_EQ(state("speedIndex").toInt(), 0);
    EXPECT_EQ(state("playbackBlocks").toInt(), 15);
    ASSERT_TRUE(waitFor([&] { return requestsFor(*sound, "http-type") >= 2; }, 5s));
    EXPECT_TRUE(state("receiving").toBool());
    choose(0);
    pumpFor(500ms);
    EXPECT_EQ(requestsFor(*sound, "http-type"), 2u) << "the same speed again must not restart";
    EXPECT_EQ(state("playbackBlocks").toInt(), 15);
}

TEST_F(CamImageAudioTest, NoFreeListenerSlotMutesTheSpeakerAndAStartAfterwardsSaysSo)
{
    // 3 clients, 1 of them talking: 2 listeners, the maximum.
    camsim::CamSim* params = parameterCamera(
        {{"maxNumberOfClients", "2"}, {"connectedClients", "3"}, {"connectedPostClients", "1"}});
    camsim::CamSimConfig audio;
    audio.stream.partCycle = {camsim::PartKind::Audio};
    camsim::CamSim* sound = startCamera(audio);
    ASSERT_TRUE(params && sound);
    hostSound(*params, *sound, kStreamPath);
    // The first connect goes ahead; the camera's answer then stops it.
    ASSERT_TRUE(waitFor([&] { return state("speakerMuted").toBool(); }, 10s));
    EXPECT_FALSE(state("receiving").toBool());
    EXPECT_TRUE(messages().empty());
    EXPECT_GE(count("changed property -525"), 1) << "the host hears the ready state";

    click("speakerMute"); // unmute: a start receive after the first connect
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "Service Unavailable|Maximum number of clients already "
                             "connected.\n\n Please try again later.");
    EXPECT_TRUE(state("speakerMuted").toBool());
    EXPECT_FALSE(state("receiving").toBool());
    EXPECT_EQ(requestsFor(*sound, "http-type"), 1u);
}

TEST_F(CamImageAudioTest, HalfDuplexTalkStopsPlaybackAndUploadsAndReleaseRestoresIt)
{
    camsim::CamSim* camera = startCamera(audioCamera(camsim::AudioDuplex::Half));
    ASSERT_TRUE(camera);
    hostAudio(*camera);
    ASSERT_TRUE(waitFor([&] { return camera->audioListeners() == 1; }, 10s));
    EXPECT_TRUE(state("receiving").toBool());

    click("talkButton");
    EXPECT_TRUE(state("talking").toBool());
    EXPECT_FALSE(state("receiving").toBool());
    ASSERT_TRUE(
        waitFor([&] { return camera->audioListeners() == 0 && camera->audioTalkers() == 1; }, 10s));
    ASSERT_TRUE(camera->waitForAudioUploads(
        [](const auto& uploads) { return !uploads.empty() && uploads.back().codedBytes >= 450; },
        10s));
    EXPECT_TRUE(camera->audioUploads().back().multipart);

    click("talkButton");
    EXPECT_FALSE(state("talking").toBool());
    EXPECT_FALSE(state("capturing").toBool());
    ASSERT_TRUE(
        waitFor([&] { return camera->audioListeners() == 1 && camera->audioTalkers() == 0; }, 10s));
    EXPECT_TRUE(state("receiving").toBool());
    EXPECT_TRUE(messages().empty());
}

TEST_F(CamImageAudioTest, DisabledHalfModeNeverRestartsReceiveAfterAFailedUpload)
{
    camsim::CamSimConfig config = audioCamera(camsim::AudioDuplex::Half);
    config.audio.faults.dropUploadAfterBytes = 2000;
    camsim::CamSim* camera = startCamera(config);
    ASSERT_TRUE(camera);
    hostAudio(*camera);
    ASSERT_TRUE(waitFor([&] { return camera->audioListeners() == 1; }, 10s));
    click("talkButton");
    ASSERT_TRUE(waitFor([&] { return camera->audioTalkers() == 1; }, 10s));
    // The mode is disabled while the upload runs; the dropped POST then finds it so.
    camera->reconfigureAudio(camsim::AudioDuplex::DisabledHalf);
    ASSERT_TRUE(waitFor([&] { return !messages().empty(); }, 15s));
    pumpFor(1s);
    EXPECT_EQ(messages().front(), "Mode Changed|The audio mode has been reconfigured.\n\nPlease "
                                  "reload your application.");
    EXPECT_TRUE(state("modeChanged").toBool());
    EXPECT_FALSE(state("talking").toBool());
    EXPECT_FALSE(state("capturing").toBool());
    EXPECT_FALSE(state("receiving").toBool()) << "no restart once the mode changed";
    EXPECT_EQ(camera->audioListeners(), 0);
}

TEST_F(CamImageAudioTest, InstantModeTalksWhileTheButtonIsHeldAndToggleModeFlipsOnEachClick)
{
    camsim::CamSimConfig config = audioCamera(camsim::AudioDuplex::Half);
    config.audio.buttonMode = camsim::AudioButtonMode::Instant;
    camsim::CamSim* camera = startCamera(config);
    ASSERT_TRUE(camera);
    hostAudio(*camera, {.listen = false});
    ASSERT_TRUE(panel());

    press("talkButton");
    EXPECT_TRUE(state("talking").toBool());
    ASSERT_TRUE(camera->waitForAudioClients(0, 1, 10s)) << "the upload runs while held";
    release("talkButton");
    EXPECT_FALSE(state("talking").toBool());
    EXPECT_FALSE(state("capturing").toBool());
    ASSERT_TRUE(camera->waitForAudioClients(0, 0, 10s));

    // Held, then the pointer leaves the button: talk ends there.
    press("talkButton");
    ASSERT_TRUE(state("talking").toBool());
    QTest::mouseMove(panel(), state("speedText").toRect().center());
    EXPECT_FALSE(state("talking").toBool());
    ASSERT_TRUE(camera->waitForAudioClients(0, 0, 10s));
    release("speedText");
    EXPECT_FALSE(state("talking").toBool()) << "a release elsewhere changes nothing";
    EXPECT_TRUE(messages().empty()) << messages().front();
}

TEST_F(CamImageAudioTest, ToggleModeTalkOutlivesTheReleaseOfTheButton)
{
    camsim::CamSim* camera = startCamera(audioCamera(camsim::AudioDuplex::Half));
    ASSERT_TRUE(camera);
    hostAudio(*camera, {.listen = false});
    ASSERT_TRUE(panel());
    press("talkButton");
    release("talkButton");
    EXPECT_TRUE(state("talking").toBool());
    ASSERT_TRUE(camera->waitForAudioClients(0, 1, 10s));
    pumpFor(300ms);
    EXPECT_EQ(camera->audioTalkers(), 1) << "still talking after the release";
    click("talkButton");
    EXPECT_FALSE(state("talking").toBool());
    ASSERT_TRUE(camera->waitForAudioClients(0, 0, 10s));
}

TEST_F(CamImageAudioTest, TheVolumeSlidersSetTheMixerAndTheMixersChangesReachThePanel)
{
    // Without a sound card the mixer is the process's null mixer: the test opens the same one.
    auto output = orvel::audio::Mixer::open(orvel::audio::MixerLine::Output);
    auto input = orvel::audio::Mixer::open(orvel::audio::MixerLine::Input);
    ASSERT_TRUE(output && input);
    ASSERT_TRUE(output->setVolume(65535) && input->setVolume(65535));
    camsim::CamSim* camera = startCamera(audioCamera(camsim::AudioDuplex::Full));
    ASSERT_TRUE(camera);
    hostAudio(*camera, {.listen = false, .talk = false});
    ASSERT_TRUE(panel());
    EXPECT_EQ(state("outputVolume").toInt(), 100);

    // The speaker symbol swaps the meter for the slider; a click a quarter along sets 25 %.
    click("speakerIcon");
    ASSERT_TRUE(state("speakerSlider").toBool());
    const QRect track = state("speakerMeter").toRect();
    const int quarter = track.width() / 4;
    QTest::mouseClick(panel(), Qt::LeftButton, {},
                      QPoint(track.left() + quarter, track.center().y()));
    const int percent = quarter * 100 / track.width();
    ASSERT_GE(percent, 24);
    EXPECT_EQ(state("outputVolume").toInt(), percent);
    EXPECT_EQ(output->volume(), DWORD(percent) * 65535 / 100);

    // Another program changes the volumes: the change notices (1028) bring them to the panel.
    output->setVolume(65535 / 2);
    input->setVolume(65535 / 10);
    ASSERT_TRUE(waitFor([&] { return state("outputVolume").toInt() == 49; }, 5s))
        << state("outputVolume").toInt();
    ASSERT_TRUE(waitFor([&] { return state("inputVolume").toInt() == 9; }, 5s))
        << state("inputVolume").toInt();

    // The microphone's slider the same way.
    click("microphoneIcon");
    ASSERT_TRUE(state("microphoneSlider").toBool());
    const QRect mic = state("microphoneMeter").toRect();
    QTest::mouseClick(panel(), Qt::LeftButton, {}, QPoint(mic.right() + 1, mic.center().y()));
    EXPECT_EQ(state("inputVolume").toInt(), 100);
    EXPECT_EQ(input->volume(), 65535u);
    click("speakerIcon"); // closing a slider shows the meter again
    EXPECT_FALSE(state("speakerSlider").toBool());
    EXPECT_EQ(state("outputVolume").toInt(), 49);
}

// Talks through a configured proxy (the camera itself is reached directly) with a microphone
// that delivers as fast as the camera takes it: the 2 000 000-byte POST runs out in seconds.
class ProxiedUploadTest : public CamImageAudioTest {
protected:
    // One multipart frame: the 48-byte prefix and a 900-byte block coded in 225 bytes.
    static constexpr std::uint64_t kFrame = 48 + 225;
    // What the camera may have still to read. Small, as with sound in real time, so that it
    // sees a POST end when the control ends it.
    static constexpr std::uint64_t kBacklog = 32 * 1024;

    void SetUp() override
    {
        CamImageAudioTest::SetUp();
        NullAudioTap::setCapturePaced(false);
    }
    void TearDown() override
    {
        NullAudioTap::setCaptureSource({});
        CamImageAudioTest::TearDown();
        NullAudioTap::setCapturePaced(true);
        unsetenv("http_proxy");
        unsetenv("no_proxy");
    }
    void keepUpWith(camsim::CamSim* camera)
    {
        auto blocks = std::make_shared<std::uint64_t>(0); // device thread
        NullAudioTap::setCaptureSource([camera, blocks](std::uint8_t* data, std::size_t length) {
            std::fill(data, data + length, 0);
            const std::uint64_t sent = ++*blocks * kFrame;
            camera->waitForAudioUploads(
                [sent](const std::vector<camsim::AudioUpload>& uploads) {
                    std::uint64_t taken = 0;
                    for (const camsim::AudioUpload& upload : uploads)
                        taken += upload.bodyBytes;
                    return taken + kBacklog >= sent;
                },
                250ms);
        });
    }
    // Hosts the talk-only page of a camera that keeps the talker slot this long after a POST
    // ends, and talks.
    camsim::CamSim* talkThroughProxy(int holdTalkerMs)
    {
        camsim::CamSimConfig config = audioCamera(camsim::AudioDuplex::Full);
        config.audio.faults.holdTalkerAfterCloseMs = holdTalkerMs;
        camsim::CamSim* camera = startCamera(config);
        if (!camera)
            return nullptr;
        setenv("http_proxy", "http://127.0.0.1:9", 1);
        setenv("no_proxy", camera->config().address.c_str(), 1);
        keepUpWith(camera);
        hostAudio(*camera, {.listen = false});
        return camera;
    }
    // The first POST, ended by the renewal rule: when its bytes passed 1 996 000.
    static void expectRenewedInTime(const camsim::AudioUpload& first)
    {
        EXPECT_EQ(first.declaredBytes, 2000000u);
        EXPECT_GT(first.bodyBytes, 1996000u);
        EXPECT_LE(first.bodyBytes, 1996000u + kFrame) << "one write past the renewal point";
        EXPECT_TRUE(first.ended);
        EXPECT_FALSE(first.dropped);
    }
};

TEST_F(ProxiedUploadTest, ThePostIsRenewedBeforeItsDeclaredSizeAndTalkGoesOnWhileRefused)
{
    // The camera lets go of the old POST 600 ms late: the fresh POST is refused at first.
    camsim::CamSim* camera = talkThroughProxy(600);
    ASSERT_TRUE(camera);
    // Looked at in place: copying what the camera keeps of 2 MB would slow it down.
    ASSERT_TRUE(waitFor(
        [&] {
            return camera->waitForAudioUploads(
                [](const auto& uploads) {
                    return uploads.size() >= 2 && uploads[1].bodyBytes > 50000;
                },
                0ms);
        },
        60s))
        << camera->audioUploads().size() << " POSTs, " << messages().size() << " messages";
    const auto uploads = camera->audioUploads();
    expectRenewedInTime(uploads[0]);
    EXPECT_EQ(uploads[1].declaredBytes, 2000000u);
    EXPECT_FALSE(uploads[1].ended) << "talk goes on over the renewed POST";
    EXPECT_GE(requestsFor(*camera, camsim::CamSim::audioUploadPath(), 503), 1u)
        << "the slow camera refused the fresh POST before it took it";
    EXPECT_TRUE(messages().empty()) << messages().front();
    EXPECT_TRUE(state("capturing").toBool());
    EXPECT_FALSE(state("microphoneMuted").toBool());
}

TEST_F(ProxiedUploadTest, AFreshPostRefusedOnEveryRetryIsToldAndTalkReleased)
{
    // The camera holds the old talker far longer than the control retries.
    camsim::CamSim* camera = talkThroughProxy(30000);
    ASSERT_TRUE(camera);
    ASSERT_TRUE(waitFor([&] { return !messages().empty(); }, 60s));
    expectRenewedInTime(camera->audioUploads().at(0));
    EXPECT_EQ(camera->audioUploads().size(), 1u);
    EXPECT_EQ(requestsFor(*camera, camsim::CamSim::audioUploadPath(), 503),
              std::size_t(SoundUpload::kRenewalRetries + 1));
    EXPECT_EQ(messages(), std::vector<std::string>{"Service Unavailable|The camera is receiving "
                                                   "audio from another client. \n\nPlease try "
                                                   "again later."});
    // Full duplex: the release mutes the microphone.
    EXPECT_TRUE(state("microphoneMuted").toBool());
    EXPECT_FALSE(state("capturing").toBool());
}

} // namespace
} // namespace pictra::test
