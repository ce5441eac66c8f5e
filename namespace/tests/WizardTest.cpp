// The add wizards and property sheets, driven as a user drives them, against simulated cameras
// that answer to the names a user types ("cam1", through ORVEL_HOST_ALIASES).
#include "namespace/folder/FolderModule.h"
#include "namespace/store/ItemPath.h"
#include "namespace/tests/FolderFixture.h"
#include "namespace/wizard/AddWizard.h"
#include "namespace/wizard/ItemPage.h"
#include "namespace/wizard/ItemWizard.h"
#include "namespace/wizard/PropertySheet.h"
#include "namespace/wizard/SwitchCamerasPage.h"
#include "platform/base/HostAliases.h"
#include "platform/com/ClassRegistration.h"
#include "platform/com/Runtime.h"
#include "platform/shell/ChangeNotify.h"
#include "platform/shell/ContextMenu.h"
#include "testsupport/CamSimFixture.h"
#include "testsupport/WaitUntil.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>

using namespace foldra;
using namespace std::chrono_literals;
using ::testing::ElementsAre;
namespace fs = std::filesystem;

namespace {

void saveScreenshot(QWidget* window, const std::string& name)
{
    if (const char* dir = std::getenv("FOLDRA_SCREENSHOTS"); dir && *dir)
        window->grab().save(QString::fromStdString(std::string(dir) + "/" + name + ".png"));
}

} // namespace

class WizardTest : public FolderFixture {
protected:
    void SetUp() override
    {
        FolderFixture::SetUp();
        // Documents below this test's own home.
        qputenv("HOME", QByteArray::fromStdString(m_root.path()));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_root.path() + "/config"));
        CoInitialize(nullptr);
        const std::string bin = fs::canonical("/proc/self/exe").parent_path().string();
        std::string detail;
        ASSERT_EQ(registerServerLibrary(bin + "/Lumin.so", false, &detail), S_OK) << detail;
        m_listener = registerChangeListener([this](LONG event, LPCITEMIDLIST a, LPCITEMIDLIST) {
            m_events.emplace_back(event, itemPathOf(a));
        });
        setRootIdList(m_rootList.get());
    }
    void TearDown() override
    {
        unregisterChangeListener(m_listener);
        m_cameras.clear();
        qunsetenv(kHostAliasesVariable);
        CoUninitialize();
        FolderFixture::TearDown();
    }

    // A simulated camera that answers to name (its HTTP port as config says).
    camsim::CamSim* cameraNamed(const std::string& name, camsim::CamSimConfig config = {})
    {
        std::string error;
        auto sim = startCameraOnFreeAddress(std::move(config), &error);
        if (!sim) {
            ADD_FAILURE() << "no simulated camera: " << error;
            return nullptr;
        }
        m_aliases += (m_aliases.empty() ? "" : ",") + name + "=" + sim->config().address;
        qputenv(kHostAliasesVariable, QByteArray::fromStdString(m_aliases));
        m_cameras.push_back(std::move(sim));
        return m_cameras.back().get();
    }

    template <typename T> static T* find(QWidget* in, const char* name)
    {
        T* widget = in->findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(widget) << name;
        return widget;
    }
    static QAbstractButton* button(QWizard& wizard, QWizard::WizardButton which)
    {
        return wizard.button(which);
    }
    static bool canGoOn(QWizard& wizard)
    {
        const bool last = wizard.currentId() == wizard.pageIds().back();
        return button(wizard, last ? QWizard::FinishButton : QWizard::NextButton)->isEnabled();
    }
    // Next as the user presses it: nothing happens while it is disabled.
    static void next(QWizard& wizard) { button(wizard, QWizard::NextButton)->click(); }
    static void finish(QWizard& wizard) { button(wizard, QWizard::FinishButton)->click(); }
    static void type(QLineEdit* edit, const QString& text)
    {
        edit->clear();
        edit->insert(text); // as typed: textEdited follows
    }
    static void check(QListWidget* list, int row, bool on)
    {
        list->item(row)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    static std::vector<std::string> checkedRows(QListWidget* list)
    {
        std::vector<std::string> rows;
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->checkState() == Qt::Checked)
                rows.push_back(list->item(i)->text().toStdString());
        return rows;
    }
    // The change notifications so far (they arrive through the event loop).
    std::vector<std::pair<LONG, std::string>> events(std::size_t expected = 1)
    {
        waitUntil([&] { return m_events.size() >= expected; }, 5s,
                  [] { QApplication::processEvents(); });
        return std::exchange(m_events, {});
    }
    ItemRecord read(const std::string& name)
    {
        ItemRecord record;
        EXPECT_EQ(m_store.Read(name, &record), S_OK) << name;
        return record;
    }
    // Creates the wizard's item as RunAddWizard does once the wizard was accepted.
    HRESULT create(ItemWizard& wizard)
    {
        EXPECT_EQ(wizard.result(), QDialog::Accepted);
        return createEditedItem(wizard.item(), nullptr);
    }

    std::vector<std::unique_ptr<camsim::CamSim>> m_cameras;
    std::string m_aliases;
    ULONG m_listener = 0;
    std::vector<std::pair<LONG, std::string>> m_events;
};

TEST_F(WizardTest, CameraWithAPortIsIdentifiedAndStoredWithItsPort)
{
    camsim::CamSimConfig config;
    config.httpPort = 8080;
    camsim::CamSim* sim = cameraNamed("cam1", config);
    ASSERT_TRUE(sim);
    ItemWizard wizard(ItemKind::AddCamera);
    EXPECT_EQ(wizard.windowTitle(), "Add");
    wizard.show();
    auto* host = find<QLineEdit>(&wizard, "hostEdit");
    EXPECT_FALSE(canGoOn(wizard)) << "nothing typed";
    EXPECT_FALSE(button(wizard, QWizard::BackButton)->isEnabled());
    type(host, "cam1:8080");
    EXPECT_TRUE(canGoOn(wizard));
    saveScreenshot(&wizard, "host-page");
    next(wizard);

    QWidget* settings = wizard.currentPage();
    EXPECT_EQ(settings->property("title").toString(), "Camera settings");
    EXPECT_EQ(find<QLineEdit>(settings, "hostEdit")->text(), "cam1");
    EXPECT_EQ(find<QLineEdit>(settings, "portEdit")->text(), "8080");
    EXPECT_EQ(find<QLineEdit>(settings, "typeText")->text().toStdString(),
              std::string(sim->model().name) + " " + sim->firmware());
    auto* resolutions = find<QComboBox>(settings, "resolutionList");
    ASSERT_EQ(resolutions->count(), static_cast<int>(sim->model().resolutions.size()));
    EXPECT_TRUE(resolutions->isEnabled());
    EXPECT_EQ(resolutions->currentIndex(), 0) << "the parameter list's default";
    EXPECT_TRUE(canGoOn(wizard));
    resolutions->setCurrentIndex(resolutions->count() - 1);
    saveScreenshot(&wizard, "camera-settings-page");
    next(wizard);

    auto* name = find<QLineEdit>(wizard.currentPage(), "nameEdit");
    EXPECT_EQ(name->text(), "cam1");
    EXPECT_TRUE(button(wizard, QWizard::FinishButton)->isEnabled());
    saveScreenshot(&wizard, "name-page");
    finish(wizard);
    ASSERT_EQ(create(wizard), S_OK);
    ItemRecord stored = read("cam1");
    EXPECT_EQ(stored.address, "cam1:8080");
    EXPECT_EQ(stored.model, "") << "identified: the camera is asked again when opened";
    EXPECT_EQ(stored.firmware, "");
    EXPECT_EQ(stored.resolution, std::string(sim->model().resolutions.back()));
    EXPECT_EQ(stored.camera, "1");
    EXPECT_THAT(events(), ElementsAre(std::pair{SHCNE_MKDIR, std::string("cam1")}));
}

TEST_F(WizardTest, PlainHostGetsPortEightyAndASecondCameraANumberedName)
{
    ASSERT_TRUE(cameraNamed("cam1"));
    createItem("cam1", ItemKind::Camera, "cam1:80");
    ItemWizard wizard(ItemKind::AddCamera);
    wizard.show();
    type(find<QLineEdit>(&wizard, "hostEdit"), "cam1");
    next(wizard);
    EXPECT_EQ(find<QLineEdit>(wizard.currentPage(), "portEdit")->text(), "80");
    next(wizard);
    EXPECT_EQ(find<QLineEdit>(wizard.currentPage(), "nameEdit")->text(), "cam1(2)");

    // Back shows the settings as they were left; Cancel then creates nothing.
    button(wizard, QWizard::BackButton)->click();
    EXPECT_EQ(find<QLineEdit>(wizard.currentPage(), "hostEdit")->text(), "cam1");
    next(wizard);
    finish(wizard);
    ASSERT_EQ(create(wizard), S_OK);
    EXPECT_EQ(read("cam1(2)").address, "cam1:80");
    EXPECT_EQ(read("cam1").address, "cam1:80") << "the first camera untouched";
}

TEST_F(WizardTest, UnansweredCameraWaitsForAChosenType)
{
    camsim::CamSimConfig config;
    config.bannerMode = camsim::BannerMode::Closed;
    config.paramCgi = false;
    ASSERT_TRUE(cameraNamed("cam7", config));
    ItemWizard wizard(ItemKind::AddCamera);
    wizard.show();
    type(find<QLineEdit>(&wizard, "hostEdit"), "cam7");
    next(wizard);
    QWidget* settings = wizard.currentPage();
    auto* typeText = find<QLineEdit>(settings, "typeText");
    EXPECT_EQ(typeText->text(), "Identification failed");
    EXPECT_EQ(find<QComboBox>(settings, "resolutionList")->count(), 0);
    EXPECT_FALSE(find<QComboBox>(settings, "cameraList")->isEnabled());
    EXPECT_FALSE(canGoOn(wizard));
    next(wizard);
    EXPECT_EQ(wizard.currentPage(), settings) << "Next stays disabled";
    saveScreenshot(&wizard, "camera-settings-failed");

    QString chosenName;
    QString chosenVersion;
    whenDialogShows([&](QDialog* dialog) {
        auto* names = dialog->findChild<QComboBox*>("nameList");
        auto* versions = dialog->findChild<QComboBox*>("versionList");
        if (names && versions && names->count() > 1) {
            names->setCurrentIndex(0);
            emit names->activated(0);
            chosenName = names->currentText();
            chosenVersion = versions->currentText();
        }
        dialog->accept();
    });
    find<QAbstractButton>(settings, "chooseButton")->click();
    ASSERT_FALSE(chosenName.isEmpty());
    EXPECT_EQ(typeText->text(), chosenName + " " + chosenVersion);
    EXPECT_GT(find<QComboBox>(settings, "resolutionList")->count(), 0) << "the target's list";
    EXPECT_TRUE(canGoOn(wizard));
    next(wizard);
    finish(wizard);
    ASSERT_EQ(create(wizard), S_OK);
    ItemRecord stored = read("cam7");
    EXPECT_EQ(stored.model, chosenName.toStdString());
    EXPECT_EQ(stored.firmware, chosenVersion.toStdString());
    EXPECT_FALSE(stored.resolution.empty());
}

TEST_F(WizardTest, CameraKnownOnlyByItsParametersIsOfModelOther)
{
    camsim::CamSimConfig config;
    config.bannerMode = camsim::BannerMode::Closed;
    camsim::CamSim* sim = cameraNamed("cam3", config);
    ASSERT_TRUE(sim);
    ItemWizard wizard(ItemKind::AddCamera);
    wizard.show();
    type(find<QLineEdit>(&wizard, "hostEdit"), "cam3");
    next(wizard);
    QWidget* settings = wizard.currentPage();
    EXPECT_EQ(find<QLineEdit>(settings, "typeText")->text().toStdString(),
              std::string(sim->model().name) + " " + sim->firmware());
    EXPECT_EQ(find<QComboBox>(settings, "cameraList")->count(), sim->model().inputs);
    ASSERT_TRUE(canGoOn(wizard));
    next(wizard);
    finish(wizard);
    ASSERT_EQ(create(wizard), S_OK);
    ItemRecord stored = read("cam3");
    EXPECT_EQ(stored.model, "Other");
    EXPECT_EQ(stored.address, "cam3:80");

    // The property sheet shows the stored choices and saves what changed.
    stored.camera = sim->model().inputs > 1 ? "2" : "1";
    ASSERT_EQ(m_store.Save("cam3", stored, ItemKind::Camera), S_OK);
    PropertySheet sheet(read("cam3"), ItemKind::Camera);
    EXPECT_EQ(sheet.windowTitle(), "cam3 Properties");
    auto* cameras = find<QComboBox>(&sheet, "cameraList");
    EXPECT_EQ(cameras->currentText().toStdString(), stored.camera);
    type(find<QLineEdit>(&sheet, "portEdit"), "8081");
    saveScreenshot(&sheet, "camera-properties");
    sheet.accept();
    ASSERT_EQ(sheet.result(), QDialog::Accepted);
    IdList absolute = absoluteList({CamItemId::make(ItemKind::Camera, "cam3")});
    events(); // the creation
    ASSERT_EQ(saveEditedItem(sheet.item(), absolute.get()), S_OK);
    EXPECT_EQ(read("cam3").address, "cam3:8081");
    EXPECT_EQ(read("cam3").camera, stored.camera);
    EXPECT_THAT(events(), ElementsAre(std::pair{SHCNE_RENAMEFOLDER, std::string("cam3")}));
}

TEST_F(WizardTest, QuadViewTakesAtMostFourCamerasAndStoresFourEntries)
{
    for (const char* name : {"A", "B", "C", "D", "E"})
        createItem(name, ItemKind::Camera, "10.0.0.1");
    createItem("Trip", ItemKind::Album, "/tmp");
    ItemWizard wizard(ItemKind::AddQuadView);
    wizard.show();
    auto* list = find<QListWidget>(&wizard, "cameraList");
    ASSERT_EQ(list->count(), 5) << "cameras only";
    EXPECT_FALSE(canGoOn(wizard));
    for (int row = 0; row < 5; ++row)
        check(list, row, true);
    EXPECT_EQ(checkedRows(list).size(), 4u) << "the fifth check is refused";
    EXPECT_EQ(list->item(4)->checkState(), Qt::Unchecked);
    check(list, 1, false);
    check(list, 3, false);
    EXPECT_TRUE(canGoOn(wizard));
    saveScreenshot(&wizard, "quad-cameras-page");
    next(wizard);
    type(find<QLineEdit>(wizard.currentPage(), "userEdit"), "viewer");
    type(find<QLineEdit>(wizard.currentPage(), "passwordEdit"), "secret");
    saveScreenshot(&wizard, "user-page");
    next(wizard);
    EXPECT_EQ(find<QLineEdit>(wizard.currentPage(), "nameEdit")->text(), "QuadView");
    finish(wizard);
    ASSERT_EQ(create(wizard), S_OK);
    ItemRecord stored = read("QuadView");
    EXPECT_THAT(stored.members, ElementsAre("A", "C", "", ""));
    EXPECT_EQ(stored.user, "viewer");
    EXPECT_EQ(stored.password, "secret");

    PropertySheet sheet(stored, ItemKind::QuadView);
    auto* members = find<QListWidget>(&sheet, "cameraList");
    EXPECT_THAT(checkedRows(members), ElementsAre("A", "C"));
    check(members, 4, true);
    sheet.accept();
    ASSERT_EQ(saveEditedItem(sheet.item(),
                             absoluteList({CamItemId::make(ItemKind::QuadView, "QuadView")}).get()),
              S_OK);
    EXPECT_THAT(read("QuadView").members, ElementsAre("A", "C", "E", ""));
    EXPECT_EQ(read("QuadView").name, "QuadView") << "no new name in the sheet";
}

TEST_F(WizardTest, SwitchingRefusesADisplayTimeThatIsNotAboveZero)
{
    for (const char* name : {"North", "South", "West"})
        createItem(name, ItemKind::Camera, "10.0.0.1");
    ItemWizard wizard(ItemKind::AddSwitchCam);
    wizard.show();
    auto* list = find<QListWidget>(&wizard, "cameraList");
    auto* time = find<QLineEdit>(&wizard, "displayTimeEdit");
    EXPECT_EQ(time->text(), "5") << "5000 ms of a new record";
    find<QToolButton>(&wizard, "checkAllButton")->click();
    EXPECT_EQ(checkedRows(list).size(), 3u);
    find<QToolButton>(&wizard, "uncheckAllButton")->click();
    EXPECT_TRUE(checkedRows(list).empty());
    EXPECT_FALSE(canGoOn(wizard));
    check(list, 2, true);
    check(list, 0, true);
    EXPECT_THAT(checkedRows(list), ElementsAre("North", "West")) << "in the folder's order";
    saveScreenshot(&wizard, "switch-cameras-page");

    QWizardPage* page = wizard.currentPage();
    for (const char* bad : {"0", "0.000", "-2", "abc", "1.2345", ""}) {
        type(time, bad);
        next(wizard);
        EXPECT_EQ(wizard.currentPage(), page) << bad;
        EXPECT_THAT(takeMessages(),
                    ElementsAre(std::string(bad) + " is not a valid display time."));
    }
    type(time, "2.5");
    next(wizard);
    EXPECT_TRUE(takeMessages().empty());
    next(wizard);
    EXPECT_EQ(find<QLineEdit>(wizard.currentPage(), "nameEdit")->text(), "SwitchCam");
    finish(wizard);
    ASSERT_EQ(create(wizard), S_OK);
    ItemRecord stored = read("SwitchCam");
    EXPECT_THAT(stored.members, ElementsAre("North", "West"));
    EXPECT_EQ(stored.displayTimeMs, 2500u);
    EXPECT_EQ(displayTimeText(2500), "2.5");
    EXPECT_EQ(m_questions.size(), 0u);
}

TEST_F(WizardTest, AlbumFolderNameIsPlacedUnderDocumentsAndOfferedForCreation)
{
    const std::string documents = m_root.path() + "/Documents";
    ItemWizard wizard(ItemKind::AddAlbum);
    wizard.show();
    saveScreenshot(&wizard, "album-introduction");
    next(wizard);
    auto* path = find<QLineEdit>(wizard.currentPage(), "pathEdit");
    EXPECT_FALSE(canGoOn(wizard)) << "no directory yet";
    type(path, "Holiday/2026");
    saveScreenshot(&wizard, "path-page");
    QWizardPage* page = wizard.currentPage();

    m_answer = IDNO;
    next(wizard);
    EXPECT_EQ(wizard.currentPage(), page);
    ASSERT_EQ(m_questions.size(), 1u);
    EXPECT_EQ(m_questions[0].text,
              documents + "/Holiday/2026 does not exist. Do you want to create it?");
    EXPECT_EQ(m_questions[0].caption, "Confirm create");
    EXPECT_EQ(m_questions[0].type, MB_ICONQUESTION | MB_YESNO);
    EXPECT_FALSE(fs::exists(documents + "/Holiday"));
    m_questions.clear();

    m_answer = IDYES;
    next(wizard);
    EXPECT_TRUE(fs::is_directory(documents + "/Holiday/2026"));
    EXPECT_EQ(find<QLineEdit>(wizard.currentPage(), "nameEdit")->text(), "2026");
    finish(wizard);
    ASSERT_EQ(create(wizard), S_OK);
    EXPECT_EQ(read("2026").address, documents + "/Holiday/2026");

    // A file is no album, nor can a folder be made inside it.
    ItemWizard again(ItemKind::AddAlbum);
    again.show();
    next(again);
    m_questions.clear();
    std::ofstream(documents + "/notes.txt") << "x";
    type(find<QLineEdit>(again.currentPage(), "pathEdit"), "notes.txt");
    next(again);
    type(find<QLineEdit>(again.currentPage(), "pathEdit"),
         QString::fromStdString(documents + "/notes.txt/inner/"));
    next(again);
    EXPECT_THAT(takeMessages(), ElementsAre(documents + "/notes.txt is not a directory.",
                                            documents + "/notes.txt/inner/ does not exist. "
                                                        "Do you want to create it?",
                                            "Could not create " + documents + "/notes.txt/inner/"));
    EXPECT_EQ(again.currentPage()->title(), "Path");
}

TEST_F(WizardTest, EmptyNameAtFinishNamesTheItemByItsAddress)
{
    ItemWizard wizard(ItemKind::AddLiveSite);
    wizard.show();
    EXPECT_EQ(wizard.currentPage()->title(), "Add Live Video Site");
    saveScreenshot(&wizard, "live-site-introduction");
    next(wizard);
    auto* url = find<QLineEdit>(wizard.currentPage(), "urlEdit");
    EXPECT_EQ(url->text(), "http://");
    EXPECT_FALSE(canGoOn(wizard)) << "only Back while nothing is stored";
    EXPECT_TRUE(button(wizard, QWizard::BackButton)->isEnabled());
    type(url, "streams.example\\");
    saveScreenshot(&wizard, "url-page");
    next(wizard);
    auto* name = find<QLineEdit>(wizard.currentPage(), "nameEdit");
    EXPECT_EQ(name->text(), "Live");
    type(name, "");
    EXPECT_FALSE(button(wizard, QWizard::FinishButton)->isEnabled());
    // Finish by the program (as a keyboard default would): the address names the item.
    wizard.accept();
    ASSERT_EQ(create(wizard), S_OK);
    EXPECT_EQ(read("streams.example").address, "streams.example");
}

TEST_F(WizardTest, AddItemOfTheListViewRunsTheWizardAndShowsTheNewItem)
{
    // The list view's owner window is the add-item's folder view; the wizard is modal on it.
    whenDialogShows([](QDialog* dialog) {
        auto* wizard = qobject_cast<QWizard*>(dialog);
        if (!wizard) {
            dialog->reject();
            return;
        }
        wizard->next();
        wizard->currentPage()->findChild<QLineEdit*>("urlEdit")->setText("http://10.0.0.1/");
        wizard->next();
        wizard->currentPage()->findChild<QLineEdit*>("nameEdit")->setText("Harbour");
        wizard->accept();
    });
    EXPECT_EQ(RunAddWizard(ItemKind::AddLiveSite, nullptr), S_OK);
    EXPECT_EQ(read("Harbour").address, "http://10.0.0.1/");
    EXPECT_THAT(enumerateNames(m_rootFolder.get()), ::testing::Contains("Harbour"));
    EXPECT_THAT(events(), ElementsAre(std::pair{SHCNE_MKDIR, std::string("Harbour")}));

    whenDialogShows([](QDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(RunAddWizard(ItemKind::AddQuadView, nullptr), S_FALSE) << "cancelled";
    EXPECT_EQ(enumerateNames(m_rootFolder.get()).size(), 2u) << "nothing more than the Add folder "
                                                                "and Harbour";
}

TEST_F(WizardTest, PropertiesCommandOfTheContextMenuSavesTheSheet)
{
    const std::string documents = m_root.path() + "/Documents";
    fs::create_directories(documents + "/Old");
    fs::create_directories(documents + "/New");
    createItem("Trip", ItemKind::Album, documents + "/Old");
    IdList trip = child(ItemKind::Album, "Trip");
    LPCITEMIDLIST items[] = {trip.get()};
    ComPtr<IContextMenu> menu;
    ASSERT_EQ(
        m_rootFolder->GetUIObjectOf(nullptr, 1, items, IID_IContextMenu, nullptr, menu.putVoid()),
        S_OK);
    QString shownPath;
    QString title;
    whenDialogShows([&](QDialog* dialog) {
        title = dialog->windowTitle();
        auto* path = dialog->findChild<QLineEdit*>("pathEdit");
        if (path) {
            shownPath = path->text();
            saveScreenshot(dialog, "album-properties");
            path->setText("New");
        }
        dialog->accept();
    });
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.lpVerb = MAKEINTRESOURCEA(6);
    EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
    EXPECT_EQ(title, "Trip Properties");
    EXPECT_EQ(shownPath.toStdString(), documents + "/Old");
    EXPECT_EQ(read("Trip").address, documents + "/New");
    EXPECT_THAT(events(), ElementsAre(std::pair{SHCNE_RENAMEFOLDER, std::string("Trip")}));
}
