// The control's audio against the simulator, hosted as the page host hosts it, driven through
// its sound panel as a user drives it: the parameter list decides the mode, the panel's
// buttons and speed list start and stop receive and talk, and the messages a user would see
// are answered by a scripted message box.

#include "control/tests/AudioHost.h"
#include "platform/audio/NullAudioTap.h"

#include <QAbstractItemView>

namespace pictra::test {
namespace {

TEST_F(CamImageAudioTest, ARefusedSinglepartStreamLeavesTheControlSilentWithNoThread)
{
    camsim::CamSim* params = parameterCamera({{"httpMessageType", "singlepart"}});
    camsim::CamSimConfig refusing;
    refusing.faults.forceStatus = 503;
    camsim::CamSim* sound = startCamera(refusing);
    ASSERT_TRUE(params && sound);
    host(Options(params->url("/"))
             .param("AudioParameterURL", params->url(kParamGroup))
             .param("DisplaySoundPanel", "1")
             .param("SoundURL", sound->url("/audio/receive")));
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
    host(Options(params->url("/"))
             .param("AudioParameterURL", params->url(kParamGroup))
             .param("DisplaySoundPanel", "1")
             .param("SoundURL", sound->url(kStreamPath)));
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
    host(Options(params->url("/"))
             .param("AudioParameterURL", params->url(kParamGroup))
             .param("DisplaySoundPanel", "1")
             .param("SoundURL", sound->url(kStreamPath)));
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
    host(Options(params->url("/"))
             .param("AudioParameterURL", params->url(kParamGroup))
             .param("DisplaySoundPanel", "1")
             .param("SoundURL", sound->url(kStreamPath)));
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

// An audio camera of the simulator, with its three addresses on the control.
camsim::CamSimConfig audioCamera(camsim::AudioDuplex duplex)
{
    camsim::CamSimConfig config;
    config.audio.enabled = true;
    config.audio.duplex = duplex;
    config.audio.microphoneMuted = false;
    return config;
}

TEST_F(CamImageAudioTest, HalfDuplexTalkStopsPlaybackAndUploadsAndReleaseRestoresIt)
{
    camsim::CamSim* camera = startCamera(audioCamera(camsim::AudioDuplex::Half));
    ASSERT_TRUE(camera);
    host(Options(camera->url("/"))
             .param("AudioParameterURL", camera->url(camsim::CamSim::audioParameterPath()))
             .param("RecordSoundURL", camera->url(camsim::CamSim::audioUploadPath()))
             .param("DisplaySoundPanel", "1")
             .param("SoundURL", camera->url(camsim::CamSim::audioStreamPath())));
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
    host(Options(camera->url("/"))
             .param("AudioParameterURL", camera->url(camsim::CamSim::audioParameterPath()))
             .param("RecordSoundURL", camera->url(camsim::CamSim::audioUploadPath()))
             .param("DisplaySoundPanel", "1")
             .param("SoundURL", camera->url(camsim::CamSim::audioStreamPath())));
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

} // namespace
} // namespace pictra::test
