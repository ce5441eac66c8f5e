// The built module as the browser meets it: registered by its entry point, created by class id,
// and unregistered again.
#include "common/FoldraClasses.h"
#include "namespace/server/Registration.h"
#include "namespace/store/ObjectFile.h"
#include "platform/com/ClassRegistration.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Runtime.h"
#include "platform/registry/RegistryKey.h"
#include "platform/shell/ShellFolder.h"
#include "platform/ui/MessageBox.h"
#include "testsupport/TempStateRoot.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

std::string modulePath()
{
    return std::filesystem::canonical("/proc/self/exe").parent_path().string() + "/Foldra.so";
}

DWORD dwordValue(HKEY root, const std::string& path, const char* name)
{
    RegistryKey key;
    DWORD value = 0;
    DWORD size = sizeof value;
    DWORD type = 0;
    if (!key.open(root, path) ||
        RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS)
        return 0xDEADBEEF;
    return value;
}

std::string text(HKEY root, const std::string& path, const char* name = nullptr)
{
    RegistryKey key;
    return key.open(root, path) ? key.text(name) : std::string("<missing>");
}

} // namespace

TEST(FoldraModuleTest, RegistersServesByClassIdAndUnregisters)
{
    TempStateRoot root;
    setMessageBoxHook([](const MessageBoxQuestion&) { return IDOK; });
    const std::string clsid = "{B70B3711-525C-11D4-B070-009027BD8645}";
    ASSERT_EQ(registerServerLibrary(modulePath(), false), S_OK);
    ASSERT_EQ(registerServerLibrary(modulePath(), false), S_OK) << "registering twice";

    EXPECT_EQ(text(HKEY_CLASSES_ROOT, "CLSID\\" + clsid), "Network Cameras");
    EXPECT_EQ(text(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32"), modulePath());
    EXPECT_EQ(text(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32", "ThreadingModel"),
              "Apartment");
    EXPECT_EQ(text(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\DefaultIcon"), modulePath());
    EXPECT_EQ(dwordValue(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\ShellFolder", "Attributes"),
              2684354576u);
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, std::string(foldra::kMyComputerNameSpaceKey) + "\\" + clsid),
              "Network Cameras");
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, foldra::kApprovedKey, clsid.c_str()), "Network Cameras");
    EXPECT_NE(text(HKEY_LOCAL_MACHINE, foldra::kAlwaysUnloadDllKey), "<missing>");
    EXPECT_EQ(dwordValue(HKEY_CURRENT_USER, foldra::kFoldraSettingsKey, "RecordSpeed"), 3u);
    EXPECT_EQ(dwordValue(HKEY_CURRENT_USER, foldra::kFoldraSettingsKey, "RecordDuration"), 60u);
    EXPECT_EQ(dwordValue(HKEY_CURRENT_USER, foldra::kFoldraSettingsKey, "RecordMaxSize"), 25u);
    std::string objectFile = foldra::ObjectFile::defaultPath();
    EXPECT_TRUE(std::filesystem::exists(objectFile));

    {
        ComPtr<IPersistFolder> folder;
        ASSERT_EQ(CoCreateInstance(CLSID_CamFolder, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IPersistFolder, folder.putVoid()),
                  S_OK);
        const std::uint8_t myComputer[] = {0x1F, 0x50, 0xE0, 0x4F};
        IdList rootList(ILCreateFromBytes(myComputer, sizeof myComputer));
        ASSERT_EQ(folder->Initialize(rootList.get()), S_OK);
        ComPtr<IShellFolder> shellFolder;
        ASSERT_EQ(folder->QueryInterface(IID_IShellFolder, shellFolder.putVoid()), S_OK);
        ComPtr<IEnumIDList> items;
        ASSERT_EQ(shellFolder->EnumObjects(nullptr, SHCONTF_FOLDERS, items.put()), S_OK);
        LPITEMIDLIST first = nullptr;
        ULONG fetched = 0;
        ASSERT_EQ(items->Next(1, &first, &fetched), S_OK);
        IdList owned(first);
        STRRET name{};
        ASSERT_EQ(shellFolder->GetDisplayNameOf(first, SHGDN_NORMAL, &name), S_OK);
        EXPECT_EQ(strRetToUtf8(&name, first), "Add");
        EXPECT_EQ(items->Next(1, &first, &fetched), S_FALSE) << "only the Add folder";
    }

    ASSERT_EQ(registerServerLibrary(modulePath(), true), S_OK);
    EXPECT_EQ(text(HKEY_CLASSES_ROOT, "CLSID\\" + clsid), "<missing>");
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, std::string(foldra::kMyComputerNameSpaceKey) + "\\" + clsid),
              "<missing>");
    EXPECT_EQ(text(HKEY_CURRENT_USER, foldra::kFoldraKey), "<missing>");
    EXPECT_EQ(text(HKEY_CURRENT_USER, "Software\\Orvel Works"), "<missing>");
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, foldra::kAlwaysUnloadDllKey), "<missing>");
    EXPECT_NE(text(HKEY_LOCAL_MACHINE, foldra::kMyComputerNameSpaceKey), "<missing>")
        << "parent keys stay";
    EXPECT_FALSE(std::filesystem::exists(objectFile));
    setMessageBoxHook({});
}
