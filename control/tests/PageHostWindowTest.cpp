// The page host's window showing a camera's own page: the control laid out at the object's
// size, its events in the log, Esc and the Stop button raising the page's stop event, and the
// design-mode switch reopening the page without a download.

#include "hosts/page/PageHostWindow.h"

#include "control/tests/ControlHost.h"
#include "hosts/page/PageView.h"
#include "testsupport/CamSimFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QListWidget>
#include <QTest>
#include <QToolBar>

namespace pictra::test {
namespace {

using namespace std::chrono_literals;

class PageHostWindowTest : public ControlHostFixture {
protected:
    void TearDown() override
    {
        m_window.reset();
        ControlHostFixture::TearDown();
        m_camera.reset();
    }

    bool logHas(const QString& text) const
    {
        QListWidget* log = m_window->eventLog();
        for (int i = 0; i < log->count(); ++i)
            if (log->item(i)->text().contains(text))
                return true;
        return false;
    }
    QAction* toolbarAction(const QString& text) const
    {
        for (QAction* action : m_window->findChild<QToolBar*>()->actions())
            if (action->text() == text)
                return action;
        return nullptr;
    }
    QWidget* controlWindowOf(std::size_t object) const
    {
        const auto& sites = m_window->view()->sites();
        if (object >= sites.size() || !sites[object])
            return nullptr;
        ComPtr<IOleInPlaceObject> inPlace = sites[object]->controlAs<IOleInPlaceObject>();
        HWND window = nullptr;
        return inPlace && SUCCEEDED(inPlace->GetWindow(&window))
                   ? reinterpret_cast<QWidget*>(window)
                   : nullptr;
    }

    std::unique_ptr<camsim::CamSim> m_camera;
    std::unique_ptr<pagehost::PageHostWindow> m_window;
};

TEST_F(PageHostWindowTest, ShowsTheCamerasPageLiveAndStopsItWithEscAndStop)
{
    std::string error;
    m_camera = startCameraOnFreeAddress({}, &error);
    ASSERT_TRUE(m_camera) << error;
    m_window = std::make_unique<pagehost::PageHostWindow>();
    m_window->show();
    ASSERT_TRUE(m_window->openLocation(QString::fromStdString(m_camera->url("/"))));
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("OS34 Live View - Page Host"));

    ASSERT_EQ(m_window->view()->page().objects.size(), 1u);
    const pagehost::PageObject& object = m_window->view()->page().objects[0];
    QWidget* control = controlWindowOf(0);
    ASSERT_TRUE(control);
    EXPECT_EQ(control->size(), QSize(object.width, object.height));
    ASSERT_TRUE(waitFor([&] { return logHas(QStringLiteral("CamImage: OnNewImage")); }, 10s));
    EXPECT_TRUE(logHas(QStringLiteral("CamImage: changed URL")));
    ASSERT_EQ(m_camera->activeStreams(), 1);

    // Esc is the page's stop.
    QTest::keyClick(m_window.get(), Qt::Key_Escape);
    ASSERT_TRUE(m_camera->waitForActiveStreams(0, 5s));
    EXPECT_TRUE(logHas(QStringLiteral("Page stopped")));

    // Reload streams again; the Stop button stops it as Esc does.
    QAction* reload = toolbarAction(QStringLiteral("Reload"));
    QAction* stop = toolbarAction(QStringLiteral("Stop"));
    ASSERT_TRUE(reload && stop);
    reload->trigger();
    ASSERT_TRUE(waitFor([&] { return m_camera->activeStreams() == 1; }, 10s));
    stop->trigger();
    ASSERT_TRUE(m_camera->waitForActiveStreams(0, 5s));
}

TEST_F(PageHostWindowTest, DesignModeReopensThePageWithoutADownload)
{
    std::string error;
    m_camera = startCameraOnFreeAddress({}, &error);
    ASSERT_TRUE(m_camera) << error;
    m_window = std::make_unique<pagehost::PageHostWindow>(pagehost::UserMode::Design);
    m_window->show();
    ASSERT_TRUE(m_window->openLocation(QString::fromStdString(m_camera->url("/"))));
    ASSERT_TRUE(controlWindowOf(0));
    pumpFor(500ms);
    ASSERT_EQ(m_camera->requests().size(), 1u); // the page itself
    EXPECT_TRUE(logHas(QStringLiteral("(design mode)")));

    // Switching to run mode reopens the page, and the control streams.
    m_window->findChild<QCheckBox*>()->setChecked(false);
    ASSERT_TRUE(waitFor([&] { return logHas(QStringLiteral("CamImage: OnNewImage")); }, 10s));
}

TEST_F(PageHostWindowTest, AnObjectOfNoRegisteredClassShowsWhy)
{
    const std::string file = std::string(::testing::TempDir()) + "pagehost-unknown.html";
    {
        FILE* out = std::fopen(file.c_str(), "w");
        ASSERT_TRUE(out);
        std::fputs("<object id=Other classid='clsid:01234567-89AB-CDEF-0123-456789ABCDEF' "
                   "width=200 height=100></object>",
                   out);
        std::fclose(out);
    }
    m_window = std::make_unique<pagehost::PageHostWindow>();
    ASSERT_TRUE(m_window->openLocation(QString::fromStdString(file)));
    EXPECT_TRUE(logHas(QStringLiteral("Other: no control is registered for "
                                      "{01234567-89AB-CDEF-0123-456789ABCDEF}")));
    std::remove(file.c_str());
}

} // namespace
} // namespace pictra::test
