#include "client/ModelLookup.h"
#include "client/TargetChooser.h"
#include "client/tests/IdentifySupport.h"
#include "platform/registry/Registry.h"

#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <chrono>
#include <functional>

namespace lumin::test {
namespace {

class Chooser : public IdentifyFixture {
protected:
    static void SetUpTestSuite()
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "IdentifyChooserTest";
        static char* argv[] = {name, nullptr};
        s_app = new QApplication(argc, argv);
    }
    static void TearDownTestSuite()
    {
        delete s_app;
        s_app = nullptr;
    }

    // Runs action on the dialog once it is shown modally; the action must close it.
    static void whenDialogShows(std::function<void(QDialog*)> action)
    {
        auto* timer = new QTimer(s_app);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        QObject::connect(timer, &QTimer::timeout, [timer, action, deadline] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog && std::chrono::steady_clock::now() < deadline)
                return;
            timer->stop();
            timer->deleteLater();
            if (dialog)
                action(dialog);
        });
        timer->start(10);
    }

    static QStringList items(const QComboBox* list)
    {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
        return texts;
    }
    static void choose(QComboBox* list, const QString& text)
    {
        const int index = list->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        list->setCurrentIndex(index);
        emit list->activated(index);
    }

    static QApplication* s_app;
};
QApplication* Chooser::s_app = nullptr;

TEST_F(Chooser, OffersVisibleModelsAndRefillsSortedVersions)
{
    const ModelRow* hidden = nullptr;
    QStringList visible;
    for (const ModelRow& row : modelRows()) {
        if (row.hidden)
            continue;
        if (!hidden) { // hide the first visible one with "Hidden" = 0
            hidden = &row;
            HKEY key = nullptr;
            const std::string path = std::string(kModelTableKey) + "\\" + row.name;
            ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_WRITE, &key),
                      ERROR_SUCCESS);
            const DWORD zero = 0;
            RegSetValueExA(key, "Hidden", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero),
                           sizeof zero);
            RegCloseKey(key);
            continue;
        }
        visible << row.name;
    }

    TargetChooserDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "Choose");
    EXPECT_EQ(items(dialog.nameList()), visible + QStringList{"Other"});
    EXPECT_EQ(dialog.nameList()->currentText(), "Other");
    EXPECT_EQ(dialog.versionList()->count(), 0);

    // Versions added after the shipped ones must still be listed in sorted places.
    const ModelRow& row = modelRows()[1];
    ASSERT_FALSE(row.hidden);
    HKEY key = nullptr;
    const std::string path = std::string(kModelTableKey) + "\\" + row.name;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_WRITE, &key), ERROR_SUCCESS);
    const char clsid[] = "{134D21E6-1EBC-11D5-B0AB-009027BD8645}";
    for (const char* extra : {"beta", "0.90"})
        RegSetValueExA(key, extra, 0, REG_SZ, reinterpret_cast<const BYTE*>(clsid), sizeof clsid);
    RegCloseKey(key);

    choose(dialog.nameList(), row.name);
    QStringList expected{"Other", "beta", "0.90"};
    for (const FirmwareRow& firmware : row.firmware) {
        if (firmware.version)
            expected << firmware.version;
    }
    expected.sort(Qt::CaseInsensitive);
    ASSERT_EQ(expected.front(), "0.90");
    EXPECT_EQ(items(dialog.versionList()), expected);
    EXPECT_EQ(dialog.versionList()->currentText(), "Other");

    // A name without a model key lists nothing.
    choose(dialog.nameList(), "Other");
    EXPECT_EQ(dialog.versionList()->count(), 0);
}

TEST_F(Chooser, CancelGivesNoTarget)
{
    whenDialogShows([](QDialog* dialog) { dialog->reject(); });
    ICamTarget* target = reinterpret_cast<ICamTarget*>(0x1);
    BSTR name = nullptr;
    BSTR version = nullptr;
    EXPECT_EQ(m_identify->ChooseTarget(&target, &name, &version), E_FAIL);
    EXPECT_EQ(target, nullptr);
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(version, nullptr);
    EXPECT_EQ(m_identify->ChooseTarget(nullptr, &name, &version), E_INVALIDARG);
    EXPECT_NE(logText().find("ChooseTarget"), std::string::npos);
}

TEST_F(Chooser, ChosenModelAndVersionGiveTheirTarget)
{
    const ModelRow& row = modelRows().front();
    const FirmwareRow& firmware = row.firmware[0];
    whenDialogShows([&](QDialog* dialog) {
        auto* names = dialog->findChild<QComboBox*>("nameList");
        auto* versions = dialog->findChild<QComboBox*>("versionList");
        if (names && versions) {
            choose(names, row.name);
            choose(versions, firmware.version);
        }
        dialog->accept();
    });
    ICamTarget* target = nullptr;
    BSTR name = nullptr;
    BSTR version = nullptr;
    ASSERT_EQ(m_identify->ChooseTarget(&target, &name, &version), S_OK);
    ComPtr<ICamTarget> chosen = ComPtr<ICamTarget>::attach(target);
    EXPECT_EQ(bstrToUtf8(name), row.name);
    EXPECT_EQ(bstrToUtf8(version), firmware.version);
    EXPECT_EQ(targetAnswers(chosen.get()), answersOfClass(firmware.target, row.name));
    SysFreeString(name);
    SysFreeString(version);

    // Accepted at once: name "Other" and no version give the default target.
    whenDialogShows([](QDialog* dialog) { dialog->accept(); });
    ASSERT_EQ(m_identify->ChooseTarget(&target, nullptr, nullptr), S_OK);
    chosen = ComPtr<ICamTarget>::attach(target);
    EXPECT_EQ(targetAnswers(chosen.get()), answersOfClass(TargetClass::CamTarget210, "Other"));
}

} // namespace
} // namespace lumin::test
