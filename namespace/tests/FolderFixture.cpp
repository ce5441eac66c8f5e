#include "namespace/tests/FolderFixture.h"

#include "common/FoldraClasses.h"
#include "namespace/store/RecordStream.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/Runtime.h"

#include <QApplication>
#include <QTimer>
#include <chrono>

namespace {
int g_argc = 1;
char g_name[] = "foldra_folder_test";
char* g_argv[] = {g_name, nullptr};

// My Computer's own identifier, as a browser puts it before ours.
const std::uint8_t kMyComputer[] = {0x1F, 0x50, 0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69,
                                    0x10, 0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};
} // namespace

void FolderFixture::SetUp()
{
    // Offscreen unless a run on a display asked for another platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // One application per test, gone again at its end, as a program has it.
    m_app = std::make_unique<QApplication>(g_argc, g_argv);
    StoreFixture::SetUp();
    m_rootList = absoluteList({});
    m_rootFolder = folderAt(m_rootList.get());
    ASSERT_TRUE(m_rootFolder);
}

void FolderFixture::TearDown()
{
    m_rootFolder.reset();
    StoreFixture::TearDown();
    m_app.reset();
}

IdList FolderFixture::absoluteList(const std::vector<foldra::CamItemId>& own)
{
    IdList list(ILCreateFromBytes(kMyComputer, sizeof kMyComputer));
    for (const foldra::CamItemId& id : own) {
        IdList one(id.toIdList());
        list.reset(ILCombine(list.get(), one.get()));
    }
    return list;
}

IdList FolderFixture::child(foldra::ItemKind kind, const std::string& name)
{
    return IdList(foldra::CamItemId::make(kind, name).toIdList());
}

void FolderFixture::createItem(const std::string& name, foldra::ItemKind kind,
                               const std::string& address)
{
    foldra::ItemRecord record;
    record.name = name;
    record.address = address;
    ASSERT_EQ(m_store.Create(record, kind, nullptr), S_OK) << name;
}

HRESULT FolderFixture::serveOwnFolderClass(DWORD* cookie)
{
    auto create = [](IUnknown* outer, REFIID riid, void** ppv) {
        return foldra::CamFolder::createInstance(outer, riid, ppv);
    };
    ComPtr<IClassFactory> factory;
    if (HRESULT hr =
            ClassFactory::getClassObject(create, nullptr, IID_IClassFactory, factory.putVoid());
        FAILED(hr))
        return hr;
    return CoRegisterClassObject(CLSID_CamFolder, factory.get(), CLSCTX_LOCAL_SERVER,
                                 REGCLS_MULTIPLEUSE, cookie);
}

ComPtr<IShellFolder> FolderFixture::folderAt(LPCITEMIDLIST absolute)
{
    ComPtr<IShellFolder> folder;
    EXPECT_EQ(foldra::createCamFolder(absolute, IID_IShellFolder, folder.putVoid()), S_OK);
    return folder;
}

std::vector<std::string> FolderFixture::enumerateNames(IShellFolder* folder)
{
    std::vector<std::string> names;
    ComPtr<IEnumIDList> items;
    if (FAILED(folder->EnumObjects(nullptr, 0, items.put())))
        return names;
    LPITEMIDLIST pidl = nullptr;
    ULONG fetched = 0;
    while (items->Next(1, &pidl, &fetched) == S_OK) {
        IdList owned(pidl);
        names.push_back(foldra::ownItemId(owned.get())->nameUtf8());
    }
    return names;
}

void FolderFixture::whenDialogShows(std::function<void(QDialog*)> action)
{
    auto* timer = new QTimer(qApp);
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
