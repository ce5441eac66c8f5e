#pragma once
// The control hosted with a simulated camera for its audio: cameras with a chosen parameter
// list, the sound panel's published state and clicks on it, and the messages a user would have
// seen, answered OK by a scripted message box.

#include "control/tests/ControlHost.h"
#include "platform/ui/MessageBox.h"
#include "testsupport/CamSimFixture.h"

#include <QRect>
#include <QTest>
#include <mutex>

namespace pictra::test {

using namespace std::chrono_literals;

// The simulator's video stream without a query: the control appends its own.
inline constexpr const char* kStreamPath = "/orvel-cgi/mjpg/video.cgi";
inline constexpr const char* kParamGroup =
    "/orvel-cgi/view/param.cgi?action=list&group=root.Audiod";

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

} // namespace pictra::test
