// The control's audio against the simulator, hosted as the page host hosts it, driven through
// its sound panel as a user drives it: the parameter list decides the mode, the panel's
// buttons and speed list start and stop receive and talk, and the messages a user would see
// are answered by a scripted message box.

#include "control/tests/ControlHost.h"
#include "platform/audio/NullAudioTap.h"
#include "platform/ui/MessageBox.h"
#include "testsupport/CamSimFixture.h"

#include <QAbstractItemView>
#include <QImage>
#include <QRect>
#include <QTest>
#include <mutex>

namespace pictra::test {
namespace {

using namespace std::chrono_literals;

// The simulator's stream without a query: the control appends its own.
const char* const kStreamPath = "/orvel-cgi/mjpg/video.cgi";
const char* const kParamGroup = "/orvel-cgi/view/param.cgi?action=list&group=root.Audiod";

class CamImageAudioTest : public ControlHostFixture {
protected:
    void SetUp() override
    {
        ControlHostFixture::SetUp();
        setMessageBoxHook([this](const MessageBoxQuestion& q) {
            std::lock_guard lock(m_mutex);
            m_messages.push_back(q.caption + "|" + q.text);
            return IDOK;
        });
    }
    void TearDown() override
    {
        ControlHostFixture::TearDown();
        setMessageBoxHook({});
        m_cameras.clear();
    }
    camsim::CamSim* startCamera(camsim::CamSimConfig config = {})
    {
        std::string error;
        auto camera = startCameraOnFreeAddress(std::move(config), &error);
        EXPECT_TRUE(camera) << error;
        m_cameras.push_back(std::move(camera));
        return m_cameras.back().get();
    }
    // A camera whose parameter list holds these root.Audiod values.
    camsim::CamSim* parameterCamera(std::vector<std::pair<std::string, std::string>> values)
    {
        camsim::CamSimConfig config;
        for (auto& [key, value] : values)
            config.paramList.values.emplace_back("root.Audiod." + key, value);
        return startCamera(config);
    }
    static std::size_t requestsFor(const camsim::CamSim& camera, const std::string& text)
    {
        std::size_t n = 0;
        for (const auto& logged : camera.requests())
            n += logged.request.target.find(text) != std::string::npos;
        return n;
    }
    QWidget* panel() const
    {
        QWidget* window = controlWindow();
        return window ? window->findChild<QWidget*>("soundPanel") : nullptr;
    }
    QVariant state(const char* name) const { return panel()->property(name); }
    void click(const char* where)
    {
        const QRect r = state(where).toRect();
        ASSERT_FALSE(r.isEmpty()) << where;
        QTest::mouseClick(panel(), Qt::LeftButton, {}, r.center());
    }
    std::vector<std::string> messages() const
    {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }

    std::vector<std::unique_ptr<camsim::CamSim>> m_cameras;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_messages;
};

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

// The panel in each duplex mode: 80 pixels at the bottom, the list box where the mode puts it,
// the labels drawn. ORVEL_SCREENSHOT_DIR, when set, receives a picture of each.
struct PanelMode {
    const char* value;
    const char* name;
    int listLeft;
    bool talk;
};

class CamImagePanelTest : public CamImageAudioTest,
                          public testing::WithParamInterface<PanelMode> {};

TEST_P(CamImagePanelTest, ThePanelLaysItsSectionsOutByDuplexMode)
{
    const PanelMode& mode = GetParam();
    camsim::CamSim* params = parameterCamera(
        {{"duplexMode", mode.value}, {"maxNumberOfClients", "4"}, {"microphoneMode", "unmuted"}});
    ASSERT_TRUE(params);
    host(Options(params->url("/"))
             .size(340, 240)
             .param("AudioParameterURL", params->url(kParamGroup))
             .param("DisplaySoundPanel", "1"));
    ASSERT_TRUE(panel());
    EXPECT_EQ(panel()->geometry(), QRect(0, 160, 340, 80));
    auto* list = panel()->findChild<QWidget*>("speedList");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->geometry(), QRect(mode.listLeft, 30, 75, 50));
    EXPECT_EQ(state("talkButton").toRect().isEmpty(), !mode.talk);
    click("speedText");
    EXPECT_TRUE(list->isVisible());
    const QImage shot = controlWindow()->grab().toImage();
    // Something was drawn in the strip: labels and symbols darker than the page.
    int ink = 0;
    for (int y = 160; y < 240; ++y)
        for (int x = 0; x < 340; ++x)
            ink += qGray(shot.pixel(x, y)) < 100;
    EXPECT_GT(ink, 200);
    if (const char* dir = std::getenv("ORVEL_SCREENSHOT_DIR"))
        shot.save(QString("%1/audio-control-panel-%2.png").arg(dir, mode.name));
}

INSTANTIATE_TEST_SUITE_P(DuplexModes, CamImagePanelTest,
                         testing::Values(PanelMode{"full", "full", 203, true},
                                         PanelMode{"half", "half", 237, true},
                                         PanelMode{"get", "listen-only", 104, false},
                                         PanelMode{"post", "talk-only", 137, true}),
                         [](const auto& info) { return std::string(info.param.value); });

} // namespace
} // namespace pictra::test
