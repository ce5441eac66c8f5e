#pragma once
// The control hosted with a simulated camera for its audio: cameras with a chosen parameter
// list, the sound panel's published state and clicks on it, and the messages a user would have
// seen, answered OK by a scripted message box. Sound goes to the null devices.

#include "control/tests/ControlHost.h"
#include "platform/ui/MessageBox.h"
#include "testsupport/CamSimFixture.h"

#include <QRect>
#include <QTest>
#include <cstdlib>
#include <mutex>

namespace pictra::test {

using namespace std::chrono_literals;

// The simulator's video stream without a query: the control appends its own.
inline constexpr const char* kStreamPath = "/orvel-cgi/mjpg/video.cgi";
inline constexpr const char* kParamGroup =
    "/orvel-cgi/view/param.cgi?action=list&group=root.Audiod";

// What an audio camera's page asks of the control.
struct AudioPage {
    bool listen = true; // SoundURL
    bool talk = true;   // RecordSoundURL
    bool panel = true;  // DisplaySoundPanel
};

class CamImageAudioTest : public ControlHostFixture {
protected:
    void SetUp() override
    {
        // A sound card on the test machine must not play the tests' sound.
        setenv("ORVEL_AUDIO", "null", 1);
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
    // A camera with the simulator's audio, its microphone unmuted so that talk starts capture.
    static camsim::CamSimConfig audioCamera(camsim::AudioDuplex duplex)
    {
        camsim::CamSimConfig config;
        config.audio.enabled = true;
        config.audio.duplex = duplex;
        config.audio.microphoneMuted = false;
        return config;
    }
    // The page of an audio camera with its parameter list and the addresses page asks for.
    void hostAudio(camsim::CamSim& camera, AudioPage page = {}, int height = 240)
    {
        Options options(camera.url("/"));
        options.size(320, height)
            .param("AudioParameterURL", camera.url(camsim::CamSim::audioParameterPath()));
        if (page.talk)
            options.param("RecordSoundURL", camera.url(camsim::CamSim::audioUploadPath()));
        if (page.panel)
            options.param("DisplaySoundPanel", "1");
        if (page.listen)
            options.param("SoundURL", camera.url(camsim::CamSim::audioStreamPath()));
        host(options);
    }
    // The page of a camera with a scripted parameter list whose sound comes from another.
    void hostSound(camsim::CamSim& params, camsim::CamSim& sound, const std::string& soundPath)
    {
        host(Options(params.url("/"))
                 .param("AudioParameterURL", params.url(kParamGroup))
                 .param("DisplaySoundPanel", "1")
                 .param("SoundURL", sound.url(soundPath)));
    }
    static std::size_t requestsFor(const camsim::CamSim& camera, const std::string& text,
                                   int status = 0)
    {
        std::size_t n = 0;
        for (const auto& logged : camera.requests())
            n += logged.request.target.find(text) != std::string::npos &&
                 (status == 0 || logged.status == status);
        return n;
    }
    QWidget* panel() const
    {
        QWidget* window = controlWindow();
        return window ? window->findChild<QWidget*>("soundPanel") : nullptr;
    }
    QVariant state(const char* name) const { return panel()->property(name); }
    QPoint centre(const char* where) const
    {
        const QRect r = state(where).toRect();
        EXPECT_FALSE(r.isEmpty()) << where;
        return r.center();
    }
    void click(const char* where) { QTest::mouseClick(panel(), Qt::LeftButton, {}, centre(where)); }
    void press(const char* where) { QTest::mousePress(panel(), Qt::LeftButton, {}, centre(where)); }
    void release(const char* where)
    {
        QTest::mouseRelease(panel(), Qt::LeftButton, {}, centre(where));
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

} // namespace pictra::test
