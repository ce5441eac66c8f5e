// The sound panel of the hosted control in each duplex mode: its strip, where the list box
// goes, and what is drawn. ORVEL_SCREENSHOT_DIR, when set, receives a picture of each.

#include "control/tests/AudioHost.h"

#include <QFontMetrics>
#include <QImage>
#include <QListWidget>
#include <cstdlib>

namespace pictra::test {
namespace {

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
    // Every speed can be read whole in the list, whatever font stood in for Verdana.
    auto* items = panel()->findChild<QListWidget*>("speedList");
    ASSERT_TRUE(items);
    const QFontMetrics metrics(items->font());
    for (int row = 0; row < items->count(); ++row) {
        const QString text = items->item(row)->text();
        const QRect cell = items->visualItemRect(items->item(row));
        EXPECT_LE(metrics.horizontalAdvance(text) + 6, cell.width())
            << text.toStdString() << " in " << items->font().family().toStdString() << " "
            << items->font().pixelSize() << " px";
    }
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
