// The Record command as a user meets it: the Record dialog's starting values, its checks in
// order against the disk, the folder browser and the album picker, and what reaches the
// recorder. The recorder here is this program's own class object for CamRecord (the runtime
// serves a class object a process registered before starting a Recora), so Init's and Start's
// arguments can be read; the real recorder runs in the end-to-end test.
#include "namespace/views/RecordCommand.h"

#include "common/ICamRecord.h"
#include "common/RecoraClasses.h"
#include "namespace/record/FrameRateControls.h"
#include "namespace/record/RecordDialog.h"
#include "namespace/record/SelectAlbumDialog.h"
#include "namespace/server/Registration.h"
#include "namespace/tests/DialogScript.h"
#include "namespace/tests/FolderFixture.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Runtime.h"
#include "platform/registry/RegistryKey.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QStandardPaths>
#include <filesystem>
#include <gmock/gmock.h>
#include <sys/mount.h>

using namespace foldra;
using ::testing::ElementsAre;

namespace {

struct StartCall {
    std::string url, name, directory, prefix;
    LONG elapse = 0;
    DWORD duration = 0;
    DWORD maxSize = 0;
};

// Filled by the recorder objects of this process; read on the same thread.
std::vector<StartCall> g_starts;
HRESULT g_startResult = S_OK;

class TestRecorder final : public UnknownImpl<TestRecorder, DualImpl<ICamRecord>> {
public:
    HRESULT Init(BSTR bstrUrl, BSTR bstrName) override
    {
        m_call.url = bstrToUtf8(bstrUrl);
        m_call.name = bstrToUtf8(bstrName);
        return S_OK;
    }
    HRESULT Start(BSTR bstrDirectory, BSTR bstrPrefix, LONG lElapse, DWORD dwDuration,
                  DWORD dwMaxSize) override
    {
        m_call.directory = bstrToUtf8(bstrDirectory);
        m_call.prefix = bstrToUtf8(bstrPrefix);
        m_call.elapse = lElapse;
        m_call.duration = dwDuration;
        m_call.maxSize = dwMaxSize;
        g_starts.push_back(m_call);
        return g_startResult;
    }
    HRESULT Stop() override { return E_NOTIMPL; }

private:
    StartCall m_call;
};

HRESULT createRecorder(IUnknown* outer, REFIID riid, void** ppv)
{
    return TestRecorder::createInstance(outer, riid, ppv);
}

QString field(QWidget* dialog, int id)
{
    return dialog->findChild<QLineEdit*>(QString::number(id))->text();
}
void setField(QWidget* dialog, int id, const QString& text)
{
    dialog->findChild<QLineEdit*>(QString::number(id))->setText(text);
}
bool checked(QWidget* dialog, int id)
{
    return dialog->findChild<QRadioButton*>(QString::number(id))->isChecked();
}
void check(QWidget* dialog, int id)
{
    dialog->findChild<QRadioButton*>(QString::number(id))->setChecked(true);
}

std::string settingText(const char* name)
{
    RegistryKey key;
    return key.open(HKEY_CURRENT_USER, kFoldraSettingsKey) ? key.text(name) : "?";
}

DWORD settingDword(const char* name)
{
    RegistryKey key;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (!key.open(HKEY_CURRENT_USER, kFoldraSettingsKey) ||
        RegQueryValueExA(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS)
        return 0xFFFFFFFFu;
    return value;
}

} // namespace

class RecordCommandTest : public FolderFixture {
protected:
    void SetUp() override
    {
        FolderFixture::SetUp();
        // The settings key with its registration defaults.
        ASSERT_EQ(registerServer("/nonexistent/Foldra.so"), S_OK);
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(ClassFactory::getClassObject(&createRecorder, nullptr, IID_IClassFactory,
                                               factory.putVoid()),
                  S_OK);
        ASSERT_EQ(CoRegisterClassObject(CLSID_CamRecord, factory.get(), CLSCTX_LOCAL_SERVER,
                                        REGCLS_MULTIPLEUSE, &m_cookie),
                  S_OK);
        g_starts.clear();
        g_startResult = S_OK;
        m_temp = m_root.path() + "/tmp";
        std::filesystem::create_directories(m_temp);
        ::setenv("TMPDIR", m_temp.c_str(), 1);
    }
    void TearDown() override
    {
        setFolderBrowser({});
        if (!m_mount.empty())
            ::umount2(m_mount.c_str(), MNT_DETACH);
        ::unsetenv("TMPDIR");
        CoRevokeClassObject(m_cookie);
        FolderFixture::TearDown();
    }

    RecordRequest request()
    {
        RecordRequest r;
        r.streamUrl = "http://127.0.0.9/orvel-cgi/mjpg/video.cgi?resolution=640x480&camera=1";
        r.itemName = "Front door";
        r.saveDirectory = &m_viewDirectory;
        r.sequencePrefix = &m_viewPrefix;
        r.values = &m_viewValues;
        return r;
    }
    // A dialog over these settings, not shown.
    static RecordSettings settingsIn(const std::string& directory)
    {
        RecordSettings s;
        s.directory = directory;
        s.prefix = "door";
        s.durationSeconds = 60;
        return s;
    }
    // A small file system of its own; false when this machine does not let the test mount.
    bool mountSmallFileSystem(const char* size)
    {
        const std::string at = m_root.path() + "/small";
        std::filesystem::create_directories(at);
        const std::string options = std::string("size=") + size;
        if (::mount("tmpfs", at.c_str(), "tmpfs", 0, options.c_str()) != 0)
            return false;
        m_mount = at;
        return true;
    }

    DWORD m_cookie = 0;
    std::string m_temp;
    std::string m_mount;
    std::string m_viewDirectory;
    std::string m_viewPrefix;
    RecordValues m_viewValues;
};

TEST_F(RecordCommandTest, TheDefaultsRecordThreeASecondForAMinuteUpTo25Mb)
{
    std::map<int, QString> shown;
    std::vector<int> checkedIds;
    onDialog<RecordDialog>([&](RecordDialog* d) {
        for (int id : {IDC_SAVE_IN, IDC_PREFIX, IDC_FRAME_RATE, IDC_RECORD_FOR, IDC_MAX_SIZE})
            shown[id] = field(d, id);
        for (int id : {IDC_RATE_PER_SECOND, IDC_RATE_PER_MINUTE, IDC_RATE_PER_HOUR, IDC_FOR_SECONDS,
                       IDC_FOR_MINUTES, IDC_FOR_HOURS})
            if (checked(d, id))
                checkedIds.push_back(id);
        const auto shots =
            std::filesystem::canonical("/proc/self/exe").parent_path() / "screenshots";
        std::filesystem::create_directories(shots);
        d->grab().save(QString::fromStdString((shots / "record-dialog.png").string()));
        d->accept();
    });
    runRecordCommand(request());
    EXPECT_EQ(shown[IDC_SAVE_IN].toStdString(), m_temp) << "the temporary directory";
    EXPECT_EQ(shown[IDC_PREFIX], "sequence");
    EXPECT_EQ(shown[IDC_FRAME_RATE], "3");
    EXPECT_EQ(shown[IDC_RECORD_FOR], "1");
    EXPECT_EQ(shown[IDC_MAX_SIZE], "25");
    EXPECT_THAT(checkedIds, ElementsAre(IDC_RATE_PER_SECOND, IDC_FOR_MINUTES));

    ASSERT_EQ(g_starts.size(), 1u);
    const StartCall& call = g_starts[0];
    EXPECT_EQ(call.url, request().streamUrl);
    EXPECT_EQ(call.name, "Front door");
    EXPECT_EQ(call.directory, m_temp);
    EXPECT_EQ(call.prefix, "sequence");
    EXPECT_EQ(call.elapse, 333);
    EXPECT_EQ(call.duration, 60u);
    EXPECT_EQ(call.maxSize, 26214400u);

    // A started recording is remembered by the view and in the settings.
    EXPECT_EQ(m_viewDirectory, m_temp);
    EXPECT_EQ(m_viewPrefix, "sequence");
    EXPECT_EQ(m_viewValues, (RecordValues{0, 3, 60, 1, 25}));
    EXPECT_EQ(settingText("LastSaveDir"), m_temp);
    EXPECT_EQ(settingText("SequencePrefix"), "sequence");
    EXPECT_EQ(settingDword("RecordDuration"), 60u);

    // The next time starts from the view's copy: 2 a minute for 3 hours.
    m_viewPrefix = "door";
    m_viewValues = {1, 2, 3 * 3600, 2, 10};
    onDialog<RecordDialog>([&](RecordDialog* d) {
        EXPECT_EQ(field(d, IDC_RECORD_FOR), "3");
        EXPECT_TRUE(checked(d, IDC_FOR_HOURS));
        EXPECT_TRUE(checked(d, IDC_RATE_PER_MINUTE));
        d->accept();
    });
    runRecordCommand(request());
    ASSERT_EQ(g_starts.size(), 2u);
    EXPECT_EQ(g_starts[1].elapse, 30000);
    EXPECT_EQ(g_starts[1].duration, 3u * 3600);
    EXPECT_EQ(g_starts[1].prefix, "door");
    EXPECT_EQ(g_starts[1].maxSize, 10u * 1048576);
}

TEST_F(RecordCommandTest, AFailedStartOrACancelStoresNothing)
{
    g_startResult = E_FAIL;
    onDialog<RecordDialog>([](RecordDialog* d) { d->accept(); });
    runRecordCommand(request());
    EXPECT_EQ(g_starts.size(), 1u);
    onDialog<RecordDialog>([](RecordDialog* d) { d->reject(); });
    runRecordCommand(request());
    EXPECT_EQ(g_starts.size(), 1u) << "Cancel starts nothing";
    EXPECT_EQ(settingText("LastSaveDir"), "");
    EXPECT_TRUE(m_viewDirectory.empty());
    EXPECT_EQ(m_viewValues, RecordValues{});
}

TEST_F(RecordCommandTest, OkChecksEachFieldInTurnAndKeepsTheDialogOpen)
{
    RecordDialog dialog(nullptr, settingsIn(m_root.path() + "/absent"));
    dialog.show();
    // Every field is wrong: the directory is reported first, alone.
    setField(&dialog, IDC_FRAME_RATE, "0");
    setField(&dialog, IDC_RECORD_FOR, "soon");
    dialog.accept();
    EXPECT_THAT(takeMessages(),
                ElementsAre("The directory " + m_root.path() + "/absent does not exist."));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.focusWidget(), dialog.findChild<QLineEdit*>("228"));

    setField(&dialog, IDC_SAVE_IN, QString::fromStdString(m_temp));
    dialog.accept();
    EXPECT_THAT(takeMessages(), ElementsAre("0 is not a valid frame rate."));
    setField(&dialog, IDC_FRAME_RATE, "2");
    check(&dialog, IDC_RATE_PER_MINUTE);
    dialog.accept();
    EXPECT_THAT(takeMessages(), ElementsAre("soon is not a valid recording time value."));
    EXPECT_EQ(m_questions.size(), 0u);
    EXPECT_EQ(dialog.findChild<QLineEdit*>("235")->selectedText(), "soon");

    setField(&dialog, IDC_RECORD_FOR, "90");
    check(&dialog, IDC_FOR_SECONDS);
    dialog.accept();
    EXPECT_TRUE(takeMessages().empty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.settings().intervalMs, 30000u) << "2 a minute";
    EXPECT_EQ(dialog.settings().durationSeconds, 90u);
    EXPECT_EQ(dialog.settings().durationUnit, 0u);
}

TEST_F(RecordCommandTest, TheSizeIsCheckedAgainstTheFreeSpaceOfTheDirectorysFileSystem)
{
    if (!mountSmallFileSystem("8m"))
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    ASSERT_EQ(freeSpaceMb(m_mount), 8u);
    RecordDialog dialog(nullptr, settingsIn(m_mount));
    dialog.show();
    setField(&dialog, IDC_MAX_SIZE, "8");
    dialog.accept();
    EXPECT_THAT(takeMessages(),
                ElementsAre("8 MB is not a valid max sequence size. (Free space: 8 MB)"));
    setField(&dialog, IDC_MAX_SIZE, "0");
    dialog.accept();
    EXPECT_THAT(takeMessages(),
                ElementsAre("0 MB is not a valid max sequence size. (Free space: 8 MB)"));

    // Just above half the free space asks first; No keeps the dialog open.
    setField(&dialog, IDC_MAX_SIZE, "5");
    m_answer = IDNO;
    dialog.accept();
    ASSERT_EQ(m_questions.size(), 1u);
    EXPECT_EQ(m_questions[0].caption, "Confirm max size");
    EXPECT_EQ(m_questions[0].type, MB_ICONWARNING | MB_YESNO);
    EXPECT_THAT(takeMessages(), ElementsAre("Max sequence size: 5 MB\nFree disk space: 8 "
                                            "MB\n\nDo you want to continue?"));
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    m_answer = IDYES;
    dialog.accept();
    EXPECT_EQ(takeMessages().size(), 1u);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.settings().maxSizeMb, 5u);

    // Half or less goes without a question.
    RecordDialog second(nullptr, settingsIn(m_mount));
    second.show();
    setField(&second, IDC_MAX_SIZE, "4");
    second.accept();
    EXPECT_TRUE(takeMessages().empty());
    EXPECT_EQ(second.result(), QDialog::Accepted);
}

TEST_F(RecordCommandTest, TheDesktopIsRefusedAndAnAlbumCanBePicked)
{
    const std::string desktop =
        QStandardPaths::writableLocation(QStandardPaths::DesktopLocation).toStdString();
    ASSERT_FALSE(desktop.empty());
    std::string offered = desktop;
    setFolderBrowser([&](QWidget*) { return std::optional<std::string>(offered); });
    RecordDialog dialog(nullptr, settingsIn(m_temp));
    dialog.browseForFolder();
    ASSERT_EQ(m_questions.size(), 1u);
    EXPECT_EQ(m_questions[0].caption, "Error");
    EXPECT_EQ(m_questions[0].type, MB_ICONERROR | MB_OK);
    EXPECT_THAT(takeMessages(),
                ElementsAre("You can not use the Desktop as the recording folder."));
    EXPECT_EQ(field(&dialog, IDC_SAVE_IN).toStdString(), m_temp) << "unchanged";
    offered = m_root.path();
    dialog.browseForFolder();
    EXPECT_EQ(field(&dialog, IDC_SAVE_IN).toStdString(), m_root.path());

    // Dialog 122 lists the root's albums by their record's name.
    createItem("Holiday", ItemKind::Album, m_root.path() + "/holiday");
    createItem("Garage", ItemKind::Camera, "10.0.0.3");
    createItem("Night", ItemKind::Album, m_root.path() + "/night");
    QStringList listed;
    onDialog<SelectAlbumDialog>([&](SelectAlbumDialog* d) {
        for (int i = 0; i < d->list()->count(); ++i)
            listed << d->list()->item(i)->text();
        d->list()->setCurrentRow(1);
        d->accept();
    });
    dialog.pickAlbum();
    EXPECT_EQ(listed, QStringList({"Holiday", "Night"}));
    EXPECT_EQ(field(&dialog, IDC_SAVE_IN).toStdString(), m_root.path() + "/night");
}
