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

} // namespace
} // namespace pictra::test
