// The built-in password dialog during a fetch on the user-interface thread: that thread waits
// for the connection thread, which hands the dialog to it, so the wait must let it show.

#include "namespace/params/DynamicCaps.h"
#include "namespace/params/tests/TestCameras.h"
#include "testsupport/CamSimFixture.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTimer>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace foldra;

class ParamPromptTest : public CamSimFixture {};

TEST_F(ParamPromptTest, ThePasswordDialogShowsAndAnswersWhileTheInterfaceThreadWaits)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int argc = 1;
    char name[] = "foldra_params_prompt_test";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);

    camsim::CamSim* cam = startCamera(passwordCamera());
    ASSERT_TRUE(cam);

    int dialogs = 0;
    bool accept = false;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() != "orvelCredentialsDialog" || !w->isVisible())
                continue;
            ++dialogs;
            if (const char* folder = std::getenv("ORVEL_SCREENSHOT_DIR"))
                w->grab().save(QString(folder) + "/params-credentials-dialog.png");
            auto* dialog = static_cast<QDialog*>(w);
            if (!accept) {
                dialog->reject();
                continue;
            }
            w->findChild<QLineEdit*>("user")->setText("root");
            w->findChild<QLineEdit*>("password")->setText("pass");
            dialog->accept();
        }
    });
    answer.start(20);

    // No event loop runs here but the one the fetch keeps turning while it waits.
    DynamicCaps caps;
    std::string product, firmware;
    EXPECT_EQ(caps.GetIdentity(cam->host(), product, firmware), S_FALSE);
    EXPECT_EQ(caps.lastFetchResult(), E_ACCESSDENIED);
    EXPECT_EQ(dialogs, 1);

    accept = true;
    EXPECT_EQ(caps.GetIdentity(cam->host(), product, firmware), S_OK);
    EXPECT_EQ(product, "OS34");
    EXPECT_EQ(dialogs, 2);
}
