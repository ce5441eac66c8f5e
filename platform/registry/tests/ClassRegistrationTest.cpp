#include "platform/com/ClassRegistration.h"

#include "platform/base/ModulePath.h"
#include "platform/base/StateRoot.h"
#include "platform/registry/tests/RegistryTestSupport.h"
#include "testsupport/TempStateRoot.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {
const char* const kLibraryClass = "CLSID\\{5E1D0A01-0000-4000-8000-0000000000A1}";
const char* const kProgramClass = "CLSID\\{5E1D0A01-0000-4000-8000-0000000000A2}";

std::string canonical(const char* path)
{
    return std::filesystem::canonical(path).string();
}

std::string defaultOf(const std::string& path, LONG* status = nullptr)
{
    KeyHolder key;
    LONG rc = RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.out());
    if (status)
        *status = rc;
    return rc == ERROR_SUCCESS ? queryString(key, nullptr, status) : std::string();
}

std::string valueOf(const std::string& path, const char* name)
{
    KeyHolder key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS)
        return {};
    return queryString(key, name);
}

bool exists(const std::string& path)
{
    KeyHolder key;
    return RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.out()) == ERROR_SUCCESS;
}

class ClassRegistrationTest : public ::testing::Test {
protected:
    TempStateRoot m_root;
};

TEST_F(ClassRegistrationTest, LibraryRegistersAndUnregistersThroughItsEntryPoints)
{
    ASSERT_EQ(registerServerLibrary(TEST_LIBRARY, false), S_OK);
    const std::string cls = kLibraryClass;
    EXPECT_EQ(defaultOf(cls), "Registration test class");
    EXPECT_EQ(defaultOf(cls + "\\InprocServer32"), canonical(TEST_LIBRARY));
    EXPECT_EQ(valueOf(cls + "\\InprocServer32", "ThreadingModel"), "Both");
    EXPECT_FALSE(exists(cls + "\\LocalServer32"));
    EXPECT_EQ(defaultOf(cls + "\\ProgID"), "OrvelTest.Server.1");
    EXPECT_EQ(defaultOf(cls + "\\VersionIndependentProgID"), "OrvelTest.Server");
    EXPECT_EQ(defaultOf(cls + "\\TypeLib"), "{5E1D0A01-0000-4000-8000-0000000000B1}");
    EXPECT_EQ(defaultOf("OrvelTest.Server.1\\CLSID"), "{5E1D0A01-0000-4000-8000-0000000000A1}");
    EXPECT_EQ(defaultOf("OrvelTest.Server\\CLSID"), "{5E1D0A01-0000-4000-8000-0000000000A1}");
    EXPECT_EQ(defaultOf("OrvelTest.Server\\CurVer"), "OrvelTest.Server.1");

    // Registering twice changes nothing.
    ASSERT_EQ(registerServerLibrary(TEST_LIBRARY, false), S_OK);
    EXPECT_EQ(subkeyNames(HKEY_CLASSES_ROOT),
              (std::vector<std::string>{"CLSID", "OrvelTest.Server.1", "OrvelTest.Server"}));

    ASSERT_EQ(registerServerLibrary(TEST_LIBRARY, true), S_OK);
    EXPECT_FALSE(exists(cls));
    EXPECT_EQ(subkeyNames(HKEY_CLASSES_ROOT), std::vector<std::string>{"CLSID"});
    // Unregistering what is gone is fine.
    EXPECT_EQ(registerServerLibrary(TEST_LIBRARY, true), S_OK);
}

TEST_F(ClassRegistrationTest, ProgIdTakenOverByAnotherClassSurvives)
{
    ASSERT_EQ(registerServerLibrary(TEST_LIBRARY, false), S_OK);
    KeyHolder key;
    ASSERT_EQ(
        RegOpenKeyExA(HKEY_CLASSES_ROOT, "OrvelTest.Server\\CLSID", 0, KEY_ALL_ACCESS, key.out()),
        ERROR_SUCCESS);
    ASSERT_EQ(setString(key, nullptr, "{5E1D0A01-0000-4000-8000-0000000000FF}"), ERROR_SUCCESS);
    ASSERT_EQ(registerServerLibrary(TEST_LIBRARY, true), S_OK);
    EXPECT_TRUE(exists("OrvelTest.Server"));
    EXPECT_FALSE(exists("OrvelTest.Server.1"));
}

TEST_F(ClassRegistrationTest, ProgramRegistersWhenRunWithRegServer)
{
    ASSERT_EQ(registerServerProgram(REGISTRY_CHILD, false), S_OK);
    const std::string cls = kProgramClass;
    EXPECT_EQ(defaultOf(cls + "\\LocalServer32"), canonical(REGISTRY_CHILD));
    EXPECT_FALSE(exists(cls + "\\InprocServer32"));
    EXPECT_EQ(valueOf(cls, "AppID"), "{5E1D0A01-0000-4000-8000-0000000000C2}");
    EXPECT_EQ(defaultOf("AppID\\{5E1D0A01-0000-4000-8000-0000000000C2}"),
              "Registration test server");
    EXPECT_EQ(defaultOf("OrvelTest.LocalServer.1\\CLSID"),
              "{5E1D0A01-0000-4000-8000-0000000000A2}");

    ASSERT_EQ(registerServerProgram(REGISTRY_CHILD, true), S_OK);
    EXPECT_FALSE(exists(cls));
    EXPECT_FALSE(exists("AppID\\{5E1D0A01-0000-4000-8000-0000000000C2}"));
    EXPECT_FALSE(exists("OrvelTest.LocalServer.1"));
}

TEST_F(ClassRegistrationTest, TypeLibraryNamesTheLibraryThatCarriesTheInterfaces)
{
    const GUID libid = makeGuid("{5E1D0A01-0000-4000-8000-0000000000B2}");
    const std::string version = "TypeLib\\{5E1D0A01-0000-4000-8000-0000000000B2}\\1.0";
    ASSERT_EQ(registerTypeLibrary(libid, "Test 1.0 Type Library", "/opt/test/libTest.so"), S_OK);
    EXPECT_EQ(defaultOf(version), "Test 1.0 Type Library");
    EXPECT_EQ(defaultOf(version + "\\0\\linux64"), "/opt/test/libTest.so");
    EXPECT_EQ(defaultOf(version + "\\FLAGS"), "0");
    EXPECT_FALSE(exists(version + "\\HELPDIR"));

    ASSERT_EQ(registerTypeLibrary(libid, "Test 1.0 Type Library", "/opt/test/libTest.so",
                                  TypeLibraryHelpDir::LibraryFolder),
              S_OK);
    EXPECT_EQ(defaultOf(version + "\\HELPDIR"), "/opt/test/");

    ASSERT_EQ(unregisterTypeLibrary(libid), S_OK);
    EXPECT_FALSE(exists("TypeLib\\{5E1D0A01-0000-4000-8000-0000000000B2}"));
    EXPECT_EQ(unregisterTypeLibrary(libid), S_OK);
}

TEST_F(ClassRegistrationTest, FailuresGetTheirCodes)
{
    std::string detail;
    EXPECT_EQ(registerServerLibrary("/nonexistent/libNothing.so", false, &detail),
              HRESULT_FROM_WIN32(126));
    EXPECT_FALSE(detail.empty());
    detail.clear();
    // A real library without the entry points.
    EXPECT_EQ(registerServerLibrary(PLATFORM_LIBRARY, false, &detail), HRESULT_FROM_WIN32(127));
    EXPECT_NE(detail.find("DllRegisterServer"), std::string::npos);

    EXPECT_EQ(registerServerProgram("/nonexistent/program", false), HRESULT_FROM_WIN32(2));
    detail.clear();
    EXPECT_EQ(registerServerProgram("/bin/false", false, &detail), E_FAIL);
    EXPECT_NE(detail.find("exited with 1"), std::string::npos) << detail;

    ClassRegistration none;
    none.serverPath = "/x";
    EXPECT_EQ(registerClass(none), E_INVALIDARG);
    EXPECT_EQ(unregisterClass(none), E_INVALIDARG);

    // A damaged classes hive makes registration fail rather than start it afresh.
    std::ofstream(configFolder() + "/HKEY_CLASSES_ROOT.reg") << "garbage\n";
    testing::internal::CaptureStderr();
    EXPECT_EQ(registerServerLibrary(TEST_LIBRARY, false), SELFREG_E_CLASS);
    testing::internal::GetCapturedStderr();
}

TEST(ModulePathTest, FindsTheFileThatHoldsAnAddress)
{
    EXPECT_EQ(modulePathOf(reinterpret_cast<const void*>(&canonical)),
              std::filesystem::canonical("/proc/self/exe").string());
    EXPECT_EQ(modulePathOf(reinterpret_cast<const void*>(&RegCreateKeyA)),
              canonical(PLATFORM_LIBRARY));
    EXPECT_EQ(moduleFolderOf(reinterpret_cast<const void*>(&RegCreateKeyA)),
              std::filesystem::path(canonical(PLATFORM_LIBRARY)).parent_path().string());
    EXPECT_EQ(modulePathOf(nullptr), "");
}
} // namespace
