// The store operations through ItemStore on a real object file in a fresh state root.
#include "namespace/store/RecordStream.h"
#include "namespace/tests/StoreFixture.h"

#include <fstream>
#include <gmock/gmock.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace foldra;
using ::testing::ElementsAre;

namespace {

std::vector<std::string> namesOf(const std::vector<CamItemId>& items)
{
    std::vector<std::string> names;
    for (const CamItemId& id : items)
        names.push_back(id.nameUtf8());
    return names;
}

} // namespace

class ItemStoreTest : public StoreFixture {};

TEST_F(ItemStoreTest, RegistrationMakesTheAddFolderOnceAndTheFileOwnerOnly)
{
    // Registered once in SetUp; a second registration adds nothing.
    ASSERT_EQ(m_store.RegisterStore(), S_OK);
    std::vector<CamItemId> root;
    ASSERT_EQ(m_store.Enumerate("", &root), S_OK);
    ASSERT_EQ(root.size(), 1u);
    EXPECT_EQ(root[0].itemKind(), ItemKind::AddFolder);
    EXPECT_EQ(root[0].nameUtf8(), "B70B3711");

    std::vector<CamItemId> adds;
    ASSERT_EQ(m_store.Enumerate("B70B3711", &adds), S_OK);
    std::vector<std::pair<std::string, ItemKind>> found;
    for (const CamItemId& id : adds)
        found.emplace_back(id.nameUtf8(), id.itemKind());
    EXPECT_THAT(found, ::testing::UnorderedElementsAre(
                           std::pair{std::string("Add Camera"), ItemKind::AddCamera},
                           std::pair{std::string("Add Live Video site"), ItemKind::AddLiveSite},
                           std::pair{std::string("Add Album"), ItemKind::AddAlbum},
                           std::pair{std::string("Add Quad View"), ItemKind::AddQuadView},
                           std::pair{std::string("Add Camera Switching"), ItemKind::AddSwitchCam}));

    struct stat st {};
    ASSERT_EQ(::stat(m_store.objectFilePath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_TRUE(takeMessages().empty());
}

TEST_F(ItemStoreTest, CreatedItemsReadBackAndEnumerateByTheirKind)
{
    ASSERT_EQ(m_store.Create(cameraRecord("cam1", "cam1:8080"), ItemKind::Camera, nullptr), S_OK);
    ItemRecord album;
    album.name = "Holiday";
    album.address = "/home/u/Pictures";
    ASSERT_EQ(m_store.Create(album, ItemKind::Album, nullptr), S_OK);
    // An empty name creates nothing and is no failure.
    ASSERT_EQ(m_store.Create(ItemRecord{}, ItemKind::Camera, nullptr), S_OK);

    std::vector<CamItemId> root;
    ASSERT_EQ(m_store.Enumerate("", &root), S_OK);
    EXPECT_THAT(namesOf(root), ::testing::UnorderedElementsAre("B70B3711", "cam1", "Holiday"));

    ItemRecord read;
    ItemKind kind{};
    ASSERT_EQ(m_store.Read("cam1", &read, &kind), S_OK);
    EXPECT_EQ(kind, ItemKind::Camera);
    EXPECT_EQ(read.address, "cam1:8080");
    EXPECT_EQ(read.model, "OC30");
    ASSERT_EQ(m_store.Read("B70B3711\\Add Album", &read, &kind), S_OK);
    EXPECT_EQ(kind, ItemKind::AddAlbum);
    EXPECT_EQ(m_store.Read("", &read), E_FAIL);
    EXPECT_EQ(m_store.Read("nothing", &read), STG_E_FILENOTFOUND);
    EXPECT_TRUE(takeMessages().empty());
}

TEST_F(ItemStoreTest, NamesOfThirtyTwoUnitsAndDuplicatesFailWithTheirMessages)
{
    std::string thirtyOne(31, 'c');
    std::string thirtyTwo(32, 'c');
    ASSERT_EQ(m_store.Create(cameraRecord(thirtyOne, "a"), ItemKind::Camera, nullptr), S_OK);
    EXPECT_EQ(m_store.Create(cameraRecord(thirtyTwo, "b"), ItemKind::Camera, nullptr),
              STG_E_INVALIDNAME);
    EXPECT_THAT(takeMessages(), ElementsAre("Create item failed."));

    ASSERT_EQ(m_store.Create(cameraRecord("cam", "first"), ItemKind::Camera, nullptr), S_OK);
    EXPECT_EQ(m_store.Create(cameraRecord("CAM", "second"), ItemKind::Camera, nullptr),
              STG_E_FILEALREADYEXISTS);
    EXPECT_THAT(takeMessages(), ElementsAre("Cannot create the item. An item with the same name "
                                            "you specified already exists."));
    ItemRecord read;
    ASSERT_EQ(m_store.Read("cam", &read), S_OK);
    EXPECT_EQ(read.address, "first");
    EXPECT_EQ(m_questions.size(), 0u);

    // Renaming follows the same limits.
    CamItemId renamed{};
    EXPECT_EQ(m_store.Rename("", "cam", thirtyTwo, &renamed), STG_E_INVALIDNAME);
    EXPECT_THAT(takeMessages(), ElementsAre("Rename item failed."));
    EXPECT_EQ(m_store.Rename("", "cam", thirtyOne, &renamed), STG_E_FILEALREADYEXISTS);
    EXPECT_THAT(takeMessages(), ElementsAre("Cannot rename the item. An item with the same name "
                                            "you specified already exists."));
    ASSERT_EQ(m_store.Read("cam", &read), S_OK);
}

TEST_F(ItemStoreTest, RenameMovesTheStreamAndRewritesTheRecordName)
{
    ItemRecord quad;
    quad.name = "Quad";
    quad.members = {"a", "b", "", ""};
    quad.password = "secret";
    ASSERT_EQ(m_store.Create(quad, ItemKind::QuadView, nullptr), S_OK);
    CamItemId renamed{};
    ASSERT_EQ(m_store.Rename("", "Quad", "Front door", &renamed), S_OK);
    EXPECT_EQ(renamed.itemKind(), ItemKind::QuadView);
    EXPECT_EQ(renamed.nameUtf8(), "Front door");

    ItemRecord read;
    EXPECT_EQ(m_store.Read("Quad", &read), STG_E_FILENOTFOUND);
    ASSERT_EQ(m_store.Read("Front door", &read), S_OK);
    EXPECT_EQ(read.name, "Front door");
    EXPECT_EQ(read.members, quad.members);
    EXPECT_EQ(read.password, "secret");

    // A change of letter case only is a rename of the item onto itself.
    ASSERT_EQ(m_store.Rename("", "Front door", "FRONT DOOR", &renamed), S_OK);
    ASSERT_EQ(m_store.Read("front door", &read), S_OK);
    EXPECT_EQ(read.name, "FRONT DOOR");
    EXPECT_EQ(m_store.Rename("", "missing", "x", &renamed), STG_E_FILENOTFOUND);
    EXPECT_THAT(takeMessages(), ElementsAre("Rename item failed."));
}

TEST_F(ItemStoreTest, DeleteAsksWithThePathAndNoKeepsTheItem)
{
    ASSERT_EQ(m_store.Create(cameraRecord("cam1", "a"), ItemKind::Camera, nullptr), S_OK);
    m_answer = IDNO;
    EXPECT_EQ(m_store.Delete("cam1", nullptr), E_ABORT);
    ASSERT_EQ(m_questions.size(), 1u);
    EXPECT_EQ(m_questions[0].text, "Are you sure you want to delete cam1?");
    EXPECT_EQ(m_questions[0].caption, "Confirm delete");
    EXPECT_EQ(m_questions[0].type, MB_ICONQUESTION | MB_YESNO);
    takeMessages();
    ItemRecord read;
    ASSERT_EQ(m_store.Read("cam1", &read), S_OK);

    m_answer = IDYES;
    ASSERT_EQ(m_store.Delete("cam1", nullptr), S_OK);
    EXPECT_EQ(m_store.Read("cam1", &read), STG_E_FILENOTFOUND);
    // A storage goes with everything in it.
    ASSERT_EQ(m_store.Delete("B70B3711", nullptr), S_OK);
    std::vector<CamItemId> root;
    ASSERT_EQ(m_store.Enumerate("", &root), S_OK);
    EXPECT_TRUE(root.empty());
}

TEST_F(ItemStoreTest, UniqueNameCountsUpToNinetyNine)
{
    std::string name;
    ASSERT_EQ(m_store.UniqueName("Cam", &name), S_OK);
    EXPECT_EQ(name, "Cam");
    ASSERT_EQ(m_store.Create(cameraRecord("Cam", "a"), ItemKind::Camera, nullptr), S_OK);
    ASSERT_EQ(m_store.Create(cameraRecord("Cam(2)", "a"), ItemKind::Camera, nullptr), S_OK);
    ASSERT_EQ(m_store.UniqueName("Cam", &name), S_OK);
    EXPECT_EQ(name, "Cam(3)");

    // Fill up to Cam(99) in one write, then nothing is left.
    {
        std::unique_ptr<ObjectFile> file;
        ASSERT_EQ(ObjectFile::open(m_store.objectFilePath(), ObjectFileAccess::ReadWrite, &file),
                  S_OK);
        for (int n = 3; n <= 99; ++n) {
            StorageElement* stream = nullptr;
            std::string cam = "Cam(" + std::to_string(n) + ")";
            ASSERT_EQ(file->root().create(cam, ElementType::Stream, &stream), S_OK);
            stream->bytes = encodeRecord(cameraRecord(cam, "a"), ItemKind::Camera);
        }
        ASSERT_EQ(file->commit(), S_OK);
    }
    EXPECT_EQ(m_store.UniqueName("Cam", &name), STG_E_INVALIDNAME);
    ASSERT_EQ(m_store.UniqueName("B70B3711\\Add Album", &name), S_OK);
    EXPECT_EQ(name, "Add Album(2)");
}

TEST_F(ItemStoreTest, SavingAShorterRecordReadsBackWithoutTheOldFields)
{
    ItemRecord sw;
    sw.name = "Round";
    sw.members = {"a long camera name", "another long camera name", "third"};
    sw.password = "a long password that must go";
    ASSERT_EQ(m_store.Create(sw, ItemKind::SwitchCam, nullptr), S_OK);
    sw.members = {"a"};
    sw.password.clear();
    ASSERT_EQ(m_store.Save("Round", sw, ItemKind::SwitchCam), S_OK);
    ItemRecord read;
    ASSERT_EQ(m_store.Read("Round", &read), S_OK);
    EXPECT_EQ(read.members, sw.members);
    EXPECT_TRUE(read.password.empty());

    std::ifstream in(m_store.objectFilePath(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.find("p\0a\0s\0s\0w", 0), std::string::npos) << "old password bytes remain";
    EXPECT_EQ(m_store.Save("nothing", sw, ItemKind::SwitchCam), STG_E_FILENOTFOUND);
}

TEST_F(ItemStoreTest, OnlyTheExactAddFolderNameIsTheAddFolder)
{
    {
        std::unique_ptr<ObjectFile> file;
        ASSERT_EQ(ObjectFile::open(m_store.objectFilePath(), ObjectFileAccess::ReadWrite, &file),
                  S_OK);
        ASSERT_EQ(file->root().destroy("B70B3711"), S_OK);
        ASSERT_EQ(file->root().create("b70b3711", ElementType::Storage, nullptr), S_OK);
        ASSERT_EQ(file->root().create("Other", ElementType::Storage, nullptr), S_OK);
        ASSERT_EQ(file->commit(), S_OK);
    }
    std::vector<CamItemId> root;
    ASSERT_EQ(m_store.Enumerate("", &root), S_OK);
    ASSERT_EQ(root.size(), 2u);
    for (const CamItemId& id : root)
        EXPECT_EQ(id.itemKind(), ItemKind::SubFolder) << id.nameUtf8();
}

TEST_F(ItemStoreTest, ASecondUserOfTheFileIsToldAndNothingChanges)
{
    std::unique_ptr<ObjectFile> held;
    ASSERT_EQ(ObjectFile::open(m_store.objectFilePath(), ObjectFileAccess::Read, &held), S_OK);
    std::vector<CamItemId> items;
    EXPECT_EQ(m_store.Enumerate("", &items), STG_E_SHAREVIOLATION);
    EXPECT_EQ(m_store.Create(cameraRecord("cam1", "a"), ItemKind::Camera, nullptr),
              STG_E_SHAREVIOLATION);
    EXPECT_THAT(takeMessages(),
                ElementsAre("Open object file failed.", "Open object file failed."));
    EXPECT_EQ(m_questions.size(), 0u);
    held.reset();
    ASSERT_EQ(m_store.Enumerate("", &items), S_OK);
    EXPECT_EQ(items.size(), 1u);
}

TEST_F(ItemStoreTest, MissingUnreadableAndDamagedFiles)
{
    ASSERT_EQ(m_store.UnregisterStore(), S_OK);
    std::vector<CamItemId> items;
    EXPECT_EQ(m_store.Enumerate("", &items), STG_E_FILENOTFOUND);
    EXPECT_THAT(takeMessages(), ElementsAre("Open object file failed."));
    EXPECT_NE(m_store.UnregisterStore(), S_OK);

    // Registration must not replace a damaged file: it may still hold the user's items.
    {
        std::ofstream out(m_store.objectFilePath(), std::ios::binary);
        out << "not a compound file at all";
    }
    EXPECT_EQ(m_store.RegisterStore(), STG_E_INVALIDHEADER);
    std::ifstream in(m_store.objectFilePath());
    std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(kept, "not a compound file at all");

    // A pipe put in the file's place must neither block the open nor be read as the store.
    ASSERT_EQ(::unlink(m_store.objectFilePath().c_str()), 0);
    ASSERT_EQ(::mkfifo(m_store.objectFilePath().c_str(), 0600), 0);
    EXPECT_EQ(m_store.Enumerate("", &items), STG_E_ACCESSDENIED);
    EXPECT_THAT(takeMessages(), ElementsAre("Open object file failed. Access denied."));
}
