// The folder through its shell interfaces: enumeration, order, attributes, names, menus,
// icons and the drag data.
#include "namespace/folder/ItemContextMenu.h"
#include "namespace/folder/ItemIconExtractor.h"
#include "namespace/folder/ItemIcons.h"
#include "namespace/store/ItemPath.h"
#include "namespace/tests/FolderFixture.h"
#include "namespace/wizard/AddWizard.h"
#include "platform/base/Utf.h"
#include "platform/shell/ChangeNotify.h"
#include "platform/shell/CommandEvent.h"
#include "platform/shell/ContextMenu.h"
#include "platform/shell/DataObject.h"
#include "platform/shell/ExtractIcon.h"
#include "platform/shell/ShellExecute.h"
#include "platform/shell/ShellMenu.h"

#include <QApplication>
#include <QMenu>
#include <algorithm>
#include <cstring>
#include <gmock/gmock.h>

using namespace foldra;
using ::testing::ElementsAre;

namespace {

struct MenuLine {
    UINT id;
    std::string text; // "-" for a separator
    bool operator==(const MenuLine&) const = default;
};

std::vector<MenuLine> linesOf(QMenu& menu)
{
    std::vector<MenuLine> lines;
    for (QAction* action : menu.actions())
        lines.push_back(
            {menuItemId(action), action->isSeparator() ? "-" : action->text().toStdString()});
    return lines;
}

void PrintTo(const MenuLine& line, std::ostream* os)
{
    *os << line.id << ":" << line.text;
}

} // namespace

class CamFolderTest : public FolderFixture {
protected:
    ComPtr<IContextMenu> menuFor(const std::vector<std::pair<ItemKind, std::string>>& items)
    {
        std::vector<IdList> lists;
        std::vector<LPCITEMIDLIST> pointers;
        for (const auto& [kind, name] : items) {
            lists.push_back(child(kind, name));
            pointers.push_back(lists.back().get());
        }
        ComPtr<IContextMenu> menu;
        m_rootFolder->GetUIObjectOf(nullptr, static_cast<UINT>(pointers.size()), pointers.data(),
                                    IID_IContextMenu, nullptr, menu.putVoid());
        return menu;
    }
};

TEST_F(CamFolderTest, EnumerationHandsOutOneItemPerNextAndTheRuleSortsThem)
{
    createItem("zeta", ItemKind::Camera);
    createItem("Alpha", ItemKind::QuadView);
    createItem("pictures", ItemKind::Album);
    createItem("Beach", ItemKind::Album);
    ComPtr<IEnumIDList> items;
    ASSERT_EQ(m_rootFolder->EnumObjects(nullptr, 0, items.put()), S_OK);
    LPITEMIDLIST five[5] = {};
    ULONG fetched = 99;
    EXPECT_EQ(items->Next(5, five, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(five[0], nullptr);

    std::vector<IdList> all;
    LPITEMIDLIST one = nullptr;
    while (items->Next(1, &one, &fetched) == S_OK) {
        EXPECT_EQ(fetched, 1u);
        all.emplace_back(one);
    }
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(items->Next(1, &one, &fetched), S_FALSE);

    std::sort(all.begin(), all.end(), [&](const IdList& a, const IdList& b) {
        return compareOrder(m_rootFolder->CompareIDs(0, a.get(), b.get())) < 0;
    });
    std::vector<std::string> order;
    for (const IdList& id : all)
        order.push_back(ownItemId(id.get())->nameUtf8());
    EXPECT_THAT(order, ElementsAre("B70B3711", "Beach", "pictures", "Alpha", "zeta"));

    // Names equal but for case are equal whatever the kinds; the Add folder then loses its place.
    IdList cam = child(ItemKind::Camera, "b70b3711");
    IdList add = child(ItemKind::AddFolder, "B70B3711");
    EXPECT_EQ(compareOrder(m_rootFolder->CompareIDs(0, cam.get(), add.get())), 0);
    IdList album = child(ItemKind::Album, "zzz");
    IdList camera = child(ItemKind::Camera, "aaa");
    EXPECT_EQ(compareOrder(m_rootFolder->CompareIDs(0, album.get(), camera.get())), -1);
    EXPECT_EQ(compareOrder(m_rootFolder->CompareIDs(0, camera.get(), album.get())), 1);
}

TEST_F(CamFolderTest, AttributesOfMixedSelectionsAreWhatAllShare)
{
    auto attributes = [&](std::vector<std::pair<ItemKind, const char*>> items) {
        std::vector<IdList> lists;
        std::vector<LPCITEMIDLIST> pointers;
        for (auto& [kind, name] : items) {
            lists.push_back(child(kind, name));
            pointers.push_back(lists.back().get());
        }
        ULONG mask = 0xFFFFFFFF;
        EXPECT_EQ(m_rootFolder->GetAttributesOf(static_cast<UINT>(pointers.size()), pointers.data(),
                                                &mask),
                  S_OK);
        return mask;
    };
    EXPECT_EQ(attributes({{ItemKind::Camera, "c"}, {ItemKind::Album, "a"}}), 0x20000074u);
    EXPECT_EQ(attributes({{ItemKind::AddFolder, "B70B3711"}}), 0x20000000u);
    EXPECT_EQ(attributes({{ItemKind::Camera, "c"}, {ItemKind::AddCamera, "Add Camera"}}), 0u);
    EXPECT_EQ(attributes({{ItemKind::SubFolder, "other"}}), 0u);
}

TEST_F(CamFolderTest, DisplayNamesComeFromTheStringsOrTheRecords)
{
    createItem("cam1", ItemKind::Camera, "10.0.0.1");
    IdList addFolderList =
        absoluteList({CamItemId::make(ItemKind::AddFolder, std::string("B70B3711"))});
    ComPtr<IShellFolder> addFolder = folderAt(addFolderList.get());
    auto name = [](IShellFolder* folder, ItemKind kind, const std::string& item, DWORD flags) {
        IdList id = child(kind, item);
        STRRET strret{};
        EXPECT_EQ(folder->GetDisplayNameOf(id.get(), flags, &strret), S_OK);
        return strRetToUtf8(&strret, id.get());
    };
    EXPECT_EQ(name(m_rootFolder.get(), ItemKind::AddFolder, "B70B3711", SHGDN_NORMAL), "Add");
    EXPECT_EQ(name(addFolder.get(), ItemKind::AddLiveSite, "whatever", SHGDN_INFOLDER),
              "Add Live Video site");
    EXPECT_EQ(name(m_rootFolder.get(), ItemKind::Camera, "cam1", SHGDN_NORMAL), "cam1");
    // Without a record the path stands in: relative or from the root as asked.
    takeMessages();
    EXPECT_EQ(name(addFolder.get(), ItemKind::Camera, "gone", SHGDN_INFOLDER), "gone");
    EXPECT_EQ(name(addFolder.get(), ItemKind::Camera, "gone", SHGDN_NORMAL), "B70B3711\\gone");
}

TEST_F(CamFolderTest, SetNameOfRenamesAndTellsTheShell)
{
    createItem("cam1", ItemKind::Camera);
    std::vector<std::pair<LONG, std::string>> events;
    ULONG cookie = registerChangeListener([&](LONG event, LPCITEMIDLIST a, LPCITEMIDLIST b) {
        events.emplace_back(event, itemPathOf(a) + ">" + itemPathOf(b));
    });
    IdList cam = child(ItemKind::Camera, "cam1");
    LPITEMIDLIST renamed = nullptr;
    EXPECT_EQ(m_rootFolder->SetNameOf(nullptr, cam.get(), u"", 0, &renamed), E_INVALIDARG);
    ASSERT_EQ(m_rootFolder->SetNameOf(nullptr, cam.get(), u"Door", 0, &renamed), S_OK);
    IdList owned(renamed);
    EXPECT_EQ(ownItemId(owned.get())->nameUtf8(), "Door");
    QApplication::processEvents();
    unregisterChangeListener(cookie);
    EXPECT_THAT(events, ElementsAre(std::pair{SHCNE_RENAMEFOLDER, std::string("cam1>Door")}));
    EXPECT_THAT(enumerateNames(m_rootFolder.get()),
                ::testing::UnorderedElementsAre("B70B3711", "Door"));
}

TEST_F(CamFolderTest, ContextMenusByKindAndMode)
{
    QMenu menu;
    ComPtr<IContextMenu> add = menuFor({{ItemKind::AddFolder, "B70B3711"}});
    ASSERT_TRUE(add);
    EXPECT_EQ(HRESULT_CODE(add->QueryContextMenu(menuHandle(&menu), 0, 100, 200, CMF_NORMAL)), 3u);
    EXPECT_THAT(linesOf(menu), ElementsAre(MenuLine{101, "&Explore"}, MenuLine{102, "&Open"}));
    EXPECT_EQ(menu.defaultAction()->text(), "&Open");

    QMenu cameras;
    ComPtr<IContextMenu> two = menuFor({{ItemKind::Camera, "a"}, {ItemKind::Camera, "b"}});
    EXPECT_EQ(HRESULT_CODE(two->QueryContextMenu(menuHandle(&cameras), 0, 0, 100, CMF_EXPLORE)),
              7u);
    EXPECT_THAT(linesOf(cameras),
                ElementsAre(MenuLine{1, "&Explore"}, MenuLine{2, "&Open"}, MenuLine{0, "-"},
                            MenuLine{3, "Open &home page"}, MenuLine{0, "-"},
                            MenuLine{4, "&Delete"}, MenuLine{5, "Rena&me"}, MenuLine{0, "-"},
                            MenuLine{6, "&Properties"}));
    EXPECT_EQ(cameras.defaultAction()->text(), "&Explore");

    QMenu mixed;
    ComPtr<IContextMenu> cameraAndAlbum =
        menuFor({{ItemKind::Camera, "a"}, {ItemKind::Album, "b"}});
    cameraAndAlbum->QueryContextMenu(menuHandle(&mixed), 0, 0, 100, CMF_VERBSONLY);
    EXPECT_THAT(linesOf(mixed), ElementsAre(MenuLine{1, "&Explore"}, MenuLine{2, "&Open"},
                                            MenuLine{0, "-"}, MenuLine{6, "Nuvo &properties"}));

    // Add-items (30 and above) have no context menu; activating them runs their wizard.
    EXPECT_FALSE(menuFor({{ItemKind::AddCamera, "Add Camera"}}));
    EXPECT_FALSE(menuFor({{ItemKind::Camera, "a"}, {ItemKind::AddAlbum, "Add Album"}}));

    char verb[16] = {};
    EXPECT_EQ(two->GetCommandString(kMenuDelete, GCS_VERBA, nullptr, verb, sizeof verb), S_OK);
    EXPECT_STREQ(verb, "delete");
    char16_t wide[16] = {};
    EXPECT_EQ(
        two->GetCommandString(kMenuRename, GCS_VERBW, nullptr, reinterpret_cast<LPSTR>(wide), 16),
        S_OK);
    EXPECT_EQ(std::u16string(wide), u"rename");
    EXPECT_EQ(two->GetCommandString(kMenuOpen, GCS_VERBA, nullptr, verb, sizeof verb),
              E_INVALIDARG);
    EXPECT_EQ(two->GetCommandString(kMenuOpen, GCS_VALIDATEA, nullptr, nullptr, 0), S_OK);
    CMINVOKECOMMANDINFO info{};
    info.lpVerb = "explode";
    EXPECT_EQ(two->InvokeCommand(&info), E_INVALIDARG);
}

TEST_F(CamFolderTest, MenuCommandsOpenDeleteAndReachTheHomePage)
{
    createItem("cam1", ItemKind::Camera, "10.0.0.9:8080");
    createItem("cam2", ItemKind::Camera, "10.0.0.10");
    std::vector<std::string> launched;
    setDocumentLauncher([&](const std::string& target) {
        launched.push_back(target);
        return true;
    });
    std::vector<std::string> opened;
    setIdListOpener([&](HWND, LPCITEMIDLIST absolute, const std::string& verb) {
        opened.push_back(verb + " " + itemPathOf(absolute));
        return S_OK;
    });
    ComPtr<IContextMenu> menu = menuFor({{ItemKind::Camera, "cam1"}});
    CMINVOKECOMMANDINFO info{};
    info.lpVerb = MAKEINTRESOURCEA(kMenuHomePage);
    EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
    EXPECT_THAT(launched, ElementsAre("http://10.0.0.9:8080"));
    // Asked for its default only, the menu opens the first item at once.
    EXPECT_EQ(HRESULT_CODE(menu->QueryContextMenu(nullptr, 0, 0, 100, CMF_DEFAULTONLY)), 3u);
    EXPECT_EQ(
        HRESULT_CODE(menu->QueryContextMenu(nullptr, 0, 0, 100, CMF_DEFAULTONLY | CMF_EXPLORE)),
        2u);
    EXPECT_THAT(opened, ElementsAre("open cam1", "explore cam1"));

    // Delete by verb: one question per content item, the Add folder is left alone.
    ComPtr<IContextMenu> selection = menuFor({{ItemKind::Camera, "cam1"},
                                              {ItemKind::AddFolder, "B70B3711"},
                                              {ItemKind::Camera, "cam2"}});
    std::vector<LONG> events;
    ULONG cookie =
        registerChangeListener([&](LONG e, LPCITEMIDLIST, LPCITEMIDLIST) { events.push_back(e); });
    info.lpVerb = "delete";
    EXPECT_EQ(selection->InvokeCommand(&info), S_OK);
    QApplication::processEvents();
    unregisterChangeListener(cookie);
    EXPECT_THAT(takeMessages(), ElementsAre("Are you sure you want to delete cam1?",
                                            "Are you sure you want to delete cam2?"));
    EXPECT_THAT(events, ElementsAre(SHCNE_RMDIR, SHCNE_RMDIR));
    EXPECT_THAT(enumerateNames(m_rootFolder.get()), ElementsAre("B70B3711"));

    // Properties go to the property sheet of the first item.
    std::vector<std::string> sheets;
    setPropertiesRunner([&](LPCITEMIDLIST item, HWND) {
        sheets.push_back(itemPathOf(item));
        return S_OK;
    });
    info.lpVerb = "properties";
    EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
    EXPECT_THAT(sheets, ElementsAre("cam1"));
    setPropertiesRunner({});
    setIdListOpener({});
    setDocumentLauncher({});
}

TEST_F(CamFolderTest, IconsForEveryKindClosedAndOpen)
{
    for (ItemKind kind : kIconKinds) {
        IdList item = child(kind, "x");
        LPCITEMIDLIST one[] = {item.get()};
        ComPtr<IExtractIconA> icon;
        ASSERT_EQ(m_rootFolder->GetUIObjectOf(nullptr, 1, one, IID_IExtractIconA, nullptr,
                                              icon.putVoid()),
                  S_OK);
        int closed = -1;
        int open = -1;
        UINT flags = 0;
        char file[260];
        ASSERT_EQ(icon->GetIconLocation(0, file, sizeof file, &closed, &flags), S_OK);
        EXPECT_EQ(flags, GIL_NOTFILENAME);
        ASSERT_EQ(icon->GetIconLocation(GIL_OPENICON, file, sizeof file, &open, &flags), S_OK);
        EXPECT_NE(closed, open);
        EXPECT_GE(closed, kIconIndexBase);
        HICON large = nullptr;
        HICON small = nullptr;
        ASSERT_EQ(icon->Extract(file, static_cast<UINT>(open), &large, &small, 32 | (16 << 16)),
                  S_OK);
        QImage big = iconOf(large)->pixmap(32).toImage();
        QImage little = iconOf(small)->pixmap(16).toImage();
        DestroyIcon(large);
        DestroyIcon(small);
        EXPECT_EQ(big.width(), 32);
        EXPECT_EQ(little.width(), 16);
        // Drawn, not empty: some pixel at the centre is opaque.
        EXPECT_GT(qAlpha(big.pixel(16, 18)), 0) << kindValue(kind);
    }
    IdList sub = child(ItemKind::SubFolder, "s");
    LPCITEMIDLIST one[] = {sub.get()};
    ComPtr<IExtractIconA> none;
    ASSERT_EQ(
        m_rootFolder->GetUIObjectOf(nullptr, 1, one, IID_IExtractIconA, nullptr, none.putVoid()),
        S_OK);
    int index = 0;
    UINT flags = 0;
    EXPECT_EQ(none->GetIconLocation(0, nullptr, 0, &index, &flags), S_FALSE);
}

TEST_F(CamFolderTest, DragDataIsAShellIdListArray)
{
    IdList a = child(ItemKind::Camera, "cam1");
    IdList b = child(ItemKind::Album, "Pictures");
    LPCITEMIDLIST items[] = {a.get(), b.get()};
    ComPtr<IDataObject> data;
    ASSERT_EQ(
        m_rootFolder->GetUIObjectOf(nullptr, 2, items, IID_IDataObject, nullptr, data.putVoid()),
        S_OK);
    FORMATETC format{RegisterClipboardFormatA("shell idlist array"), nullptr, DVASPECT_CONTENT, -1,
                     TYMED_HGLOBAL};
    STGMEDIUM medium{};
    ASSERT_EQ(data->GetData(&format, &medium), S_OK);
    const auto* bytes = static_cast<const BYTE*>(GlobalLock(medium.hGlobal));
    UINT header[4];
    std::memcpy(header, bytes, sizeof header);
    EXPECT_EQ(header[0], 2u);
    auto parent = reinterpret_cast<LPCITEMIDLIST>(bytes + header[1]);
    EXPECT_TRUE(ILIsEqual(parent, m_rootList.get()));
    EXPECT_TRUE(ILIsEqual(reinterpret_cast<LPCITEMIDLIST>(bytes + header[2]), a.get()));
    EXPECT_TRUE(ILIsEqual(reinterpret_cast<LPCITEMIDLIST>(bytes + header[3]), b.get()));
    EXPECT_EQ(GlobalSize(medium.hGlobal), header[3] + 78u);
    ReleaseStgMedium(&medium);
    format.cfFormat = RegisterClipboardFormatA(CFSTR_FILEDESCRIPTORA);
    EXPECT_EQ(data->QueryGetData(&format), DV_E_FORMATETC);
}

TEST_F(CamFolderTest, BindingGivesTheChildFolderWithItsPath)
{
    IdList add = child(ItemKind::AddFolder, "B70B3711");
    ComPtr<IShellFolder> addFolder;
    ASSERT_EQ(m_rootFolder->BindToObject(add.get(), nullptr, IID_IShellFolder, addFolder.putVoid()),
              S_OK);
    EXPECT_EQ(enumerateNames(addFolder.get()).size(), 5u);
    ComPtr<IUnknown> other;
    EXPECT_EQ(m_rootFolder->BindToObject(add.get(), nullptr, IID_IDataObject, other.putVoid()),
              E_NOINTERFACE);
    ComPtr<IPersistFolder> persist;
    ASSERT_EQ(addFolder->QueryInterface(IID_IPersistFolder, persist.putVoid()), S_OK);
    CLSID clsid{};
    ASSERT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_EQ(guidToString(clsid), "{B70B3711-525C-11D4-B070-009027BD8645}");
    EXPECT_EQ(m_rootFolder->ParseDisplayName(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              E_NOTIMPL);
}
