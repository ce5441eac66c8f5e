// The item list view hosted by the real browser window: modes, status texts, activation, label
// editing, deleting a selection, menus merged into the browser, and change notifications.
// The browser creates the folder by class id; this program serves its own build of the class,
// so the wizard hook it sets is the one the view calls.
#include "common/FoldraClasses.h"
#include "hosts/browser/BrowserWindow.h"
#include "hosts/browser/JunctionId.h"
#include "namespace/folder/CamFolder.h"
#include "namespace/folder/FolderModule.h"
#include "namespace/folder/FolderViewWidget.h"
#include "namespace/server/Registration.h"
#include "namespace/store/ItemPath.h"
#include "namespace/tests/FolderFixture.h"
#include "namespace/wizard/AddWizard.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/Runtime.h"
#include "platform/shell/CommandEvent.h"
#include "platform/shell/ShellMenu.h"
#include "testsupport/WaitUntil.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>
#include <QWizard>
#include <gmock/gmock.h>

using namespace foldra;
using namespace std::chrono_literals;
using ::testing::ElementsAre;

namespace {

HRESULT createFolder(IUnknown* outer, REFIID riid, void** ppv)
{
    return CamFolder::createInstance(outer, riid, ppv);
}

} // namespace

class FolderViewTest : public FolderFixture {
protected:
    void SetUp() override
    {
        FolderFixture::SetUp();
        ASSERT_EQ(registerServer("/nonexistent/Foldra.so"), S_OK);
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(ClassFactory::getClassObject(&createFolder, nullptr, IID_IClassFactory,
                                               factory.putVoid()),
                  S_OK);
        ASSERT_EQ(CoRegisterClassObject(CLSID_CamFolder, factory.get(), CLSCTX_LOCAL_SERVER,
                                        REGCLS_MULTIPLEUSE, &m_cookie),
                  S_OK);
        createItem("Front door", ItemKind::Camera, "10.0.0.2");
        createItem("Garage", ItemKind::Camera, "10.0.0.3");
        createItem("Holiday", ItemKind::Album, "/tmp");
        m_window = std::make_unique<browser::BrowserWindow>();
        m_window->show();
        ASSERT_EQ(m_window->browseToPath("Network Cameras", ""), S_OK);
    }
    void TearDown() override
    {
        m_window.reset();
        setAddWizardRunner({});
        CoRevokeClassObject(m_cookie);
        FolderFixture::TearDown();
    }

    FolderViewWidget* view() const
    {
        return reinterpret_cast<FolderViewWidget*>(m_window->viewWindow());
    }
    std::vector<std::string> shownNames() const
    {
        std::vector<std::string> names;
        for (int row = 0; row < view()->itemCount(); ++row)
            names.push_back(view()->rowText(row).toStdString());
        return names;
    }
    static void spin() { QApplication::processEvents(); }
    // Double-click on the item of that name.
    bool activate(const std::string& name) const
    {
        view()->selectByName(name, false);
        if (view()->selectedItems().empty())
            return false;
        emit view()->currentView()->activated(view()->currentView()->currentIndex());
        return true;
    }

    std::unique_ptr<browser::BrowserWindow> m_window;
    DWORD m_cookie = 0;
};

TEST_F(FolderViewTest, ListsSortedWithTheirCountAndFollowsTheModes)
{
    ASSERT_TRUE(view());
    EXPECT_THAT(shownNames(), ElementsAre("Add", "Holiday", "Front door", "Garage"));
    EXPECT_EQ(m_window->statusText(), "4 items");
    view()->selectByName("Garage", false);
    view()->selectByName("Holiday", true);
    EXPECT_EQ(m_window->statusText(), "2 items selected");

    // The tool bar's view button steps through the modes, details wrapping to large icons.
    UINT modes[5] = {};
    for (UINT& mode : modes) {
        ASSERT_TRUE(sendCommand(m_window->viewWindow(), IDM_VIEW_BUTTON));
        FOLDERSETTINGS settings{};
        m_window->currentView()->GetCurrentInfo(&settings);
        mode = settings.ViewMode;
    }
    EXPECT_THAT(modes, ElementsAre(FVM_SMALLICON, FVM_LIST, FVM_DETAILS, FVM_ICON, FVM_SMALLICON));
    // The checked tool bar button follows the mode.
    EXPECT_TRUE(m_window->isToolbarButtonChecked(IDM_VIEW_SMALLICONS));
    EXPECT_FALSE(m_window->isToolbarButtonChecked(IDM_VIEW_LARGEICONS));

    // The View menu carries the four modes after the browser's own items, the active one ticked.
    QMenu* viewMenu = findSubMenu(menuHandle(m_window->menuBar()), FCIDM_MENU_VIEW);
    ASSERT_TRUE(viewMenu);
    QAction* details = findMenuItem(menuHandle(viewMenu), IDM_VIEW_DETAILS);
    ASSERT_TRUE(details);
    QAction* small = findMenuItem(menuHandle(viewMenu), IDM_VIEW_SMALLICONS);
    EXPECT_TRUE(small->isChecked());
    details->trigger();
    EXPECT_EQ(view()->viewMode(), FVM_DETAILS);
    QMenu* file = findSubMenu(menuHandle(m_window->menuBar()), FCIDM_MENU_FILE);
    ASSERT_TRUE(file);
    EXPECT_TRUE(findMenuItem(menuHandle(file), IDM_DELETE)) << "focused view merges File items";
    QMenu* help = findSubMenu(menuHandle(m_window->menuBar()), FCIDM_MENU_HELP);
    ASSERT_TRUE(help);
    EXPECT_EQ(findMenuItem(menuHandle(help), IDM_HELP_CONTENTS)->text(), "Nuvo &Help");
}

TEST_F(FolderViewTest, ActivationOpensFoldersAndRunsAddWizards)
{
    std::vector<ItemKind> wizards;
    setAddWizardRunner([&](ItemKind kind, HWND) {
        wizards.push_back(kind);
        return S_FALSE;
    });
    ASSERT_TRUE(activate("B70B3711"));
    ASSERT_TRUE(waitUntil(
        [&] {
            spin();
            return itemPathOf(m_window->currentList()) == "B70B3711";
        },
        5s));
    EXPECT_EQ(m_window->statusText(), "5 items");
    activate("Add Album");
    EXPECT_THAT(wizards, ElementsAre(ItemKind::AddAlbum));
    EXPECT_EQ(itemPathOf(m_window->currentList()), "B70B3711") << "a wizard, not a folder";

    m_window->goUp();
    EXPECT_EQ(itemPathOf(m_window->currentList()), "");
    m_window->goBack();
    EXPECT_EQ(itemPathOf(m_window->currentList()), "B70B3711");
}

TEST_F(FolderViewTest, AnAddItemCreatesItsItemThroughTheWizardAndTheBrowserShowsIt)
{
    ASSERT_TRUE(activate("B70B3711"));
    ASSERT_TRUE(waitUntil(
        [&] {
            spin();
            return itemPathOf(m_window->currentList()) == "B70B3711";
        },
        5s));
    whenDialogShows([](QDialog* dialog) {
        auto* wizard = qobject_cast<QWizard*>(dialog);
        if (wizard && wizard->windowTitle() == "Add") {
            wizard->next();
            wizard->currentPage()->findChild<QLineEdit*>("urlEdit")->setText("http://10.0.0.8/");
            wizard->next();
            wizard->currentPage()->findChild<QLineEdit*>("nameEdit")->setText("Harbour");
            wizard->accept();
        } else {
            dialog->reject();
        }
    });
    activate("Add Live Video site");
    ItemRecord record;
    ASSERT_EQ(m_store.Read("Harbour", &record), S_OK);
    EXPECT_EQ(record.address, "http://10.0.0.8/");
    // The tree follows the creation notice.
    EXPECT_TRUE(waitUntil(
        [&] {
            spin();
            return !m_window->tree()->findItems("Harbour", Qt::MatchRecursive).isEmpty();
        },
        5s));
    m_window->goUp();
    EXPECT_THAT(shownNames(), ElementsAre("Add", "Holiday", "Front door", "Garage", "Harbour"));
}

TEST_F(FolderViewTest, DeletingASelectionWithTheAddFolderDeletesTheOthers)
{
    view()->selectByName("B70B3711", false);
    view()->selectByName("Garage", true);
    view()->selectByName("Holiday", true);
    ASSERT_TRUE(sendCommand(m_window->viewWindow(), IDM_DELETE));
    // In list order: the album before the camera.
    EXPECT_THAT(takeMessages(), ElementsAre("Are you sure you want to delete Holiday?",
                                            "Are you sure you want to delete Garage?"));
    EXPECT_THAT(shownNames(), ElementsAre("Add", "Front door"));
    // The tree follows the change notifications.
    ASSERT_TRUE(waitUntil(
        [&] {
            spin();
            auto found = m_window->tree()->findItems("Garage", Qt::MatchRecursive);
            return found.isEmpty();
        },
        5s));
}

TEST_F(FolderViewTest, LabelEditingRenamesThroughTheStore)
{
    view()->selectByName("Front door", false);
    ASSERT_TRUE(sendCommand(m_window->viewWindow(), IDM_RENAME));
    auto* editor = view()->findChild<QLineEdit*>();
    ASSERT_TRUE(editor) << "editing started";
    editor->setText("Porch");
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(waitUntil(
        [&] {
            spin();
            return shownNames() == std::vector<std::string>{"Add", "Holiday", "Garage", "Porch"};
        },
        5s));
    ItemRecord record;
    ASSERT_EQ(m_store.Read("Porch", &record), S_OK);
    EXPECT_EQ(record.name, "Porch");

    // A name the file cannot hold is refused with its message and the old name stays.
    view()->selectByName("Porch", false);
    ASSERT_TRUE(sendCommand(m_window->viewWindow(), IDM_RENAME));
    editor = view()->findChild<QLineEdit*>();
    ASSERT_TRUE(editor);
    editor->setText(QString(32, 'x'));
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(waitUntil(
        [&] {
            spin();
            return !m_questions.empty();
        },
        5s));
    EXPECT_THAT(takeMessages(), ElementsAre("Rename item failed."));
    ASSERT_TRUE(waitUntil(
        [&] {
            spin();
            return shownNames() == std::vector<std::string>{"Add", "Holiday", "Garage", "Porch"};
        },
        5s));

    // The Add folder cannot be renamed.
    view()->selectByName("B70B3711", false);
    sendCommand(m_window->viewWindow(), IDM_RENAME);
    EXPECT_FALSE(view()->findChild<QLineEdit*>() && view()->findChild<QLineEdit*>()->isVisible());
}

TEST_F(FolderViewTest, TheBrowserKeepsAViewStateStreamPerFolder)
{
    ComPtr<IStream> none;
    EXPECT_EQ(m_window->viewStateStream(STGM_READ, none.put()), E_FAIL) << "nothing saved yet";
    {
        ComPtr<IStream> out;
        ASSERT_EQ(m_window->viewStateStream(STGM_WRITE, out.put()), S_OK);
        const char state[] = "view state v3";
        ASSERT_EQ(out->Write(state, sizeof state, nullptr), S_OK);
    }
    m_window->goUp();
    ComPtr<IStream> other;
    EXPECT_EQ(m_window->viewStateStream(STGM_READ, other.put()), E_FAIL) << "another folder";
    m_window->goBack();
    ComPtr<IStream> in;
    ASSERT_EQ(m_window->viewStateStream(STGM_READ, in.put()), S_OK);
    char read[32] = {};
    ULONG count = 0;
    ASSERT_EQ(in->Read(read, sizeof read, &count), S_OK);
    EXPECT_EQ(count, 14u);
    EXPECT_STREQ(read, "view state v3");
}
