#include "platform/base/StateRoot.h"
#include "platform/registry/tests/ChildProcess.h"
#include "platform/registry/tests/RegistryTestSupport.h"
#include "testsupport/TempStateRoot.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace {
std::string hivePath(const char* hive)
{
    return configFolder() + "/" + hive + ".reg";
}

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// As an editor saves: a new file in place of the old one.
void writeFile(const std::string& path, const std::string& text)
{
    {
        std::ofstream out(path + ".edit", std::ios::binary | std::ios::trunc);
        out << text;
    }
    std::filesystem::rename(path + ".edit", path);
}

class RegistryTest : public ::testing::Test {
protected:
    TempStateRoot m_root;
};

TEST_F(RegistryTest, StringDwordAndDefaultValuesRoundTrip)
{
    KeyHolder key;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Orvel Works\\Foldra\\Settings", 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, key.out(), &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    ASSERT_EQ(setString(key, "LastSaveDir", "/home/me/Pictures"), ERROR_SUCCESS);
    ASSERT_EQ(setDword(key, "RecordSpeed", 10), ERROR_SUCCESS);
    ASSERT_EQ(setString(key, nullptr, "the default"), ERROR_SUCCESS);

    LONG status = 0;
    EXPECT_EQ(queryString(key, "LastSaveDir", &status), "/home/me/Pictures");
    EXPECT_EQ(status, ERROR_SUCCESS);
    EXPECT_EQ(queryDword(key, "RecordSpeed", &status), 10u);
    EXPECT_EQ(status, ERROR_SUCCESS);
    EXPECT_EQ(queryString(key, "", &status), "the default"); // "" and null both mean default
    EXPECT_EQ(queryString(key, nullptr), "the default");

    ASSERT_EQ(setDword(key, "RecordSpeed", 25), ERROR_SUCCESS); // overwrite
    EXPECT_EQ(queryDword(key, "RecordSpeed"), 25u);

    KeyHolder again;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Orvel Works\\Foldra\\Settings", 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, again.out(), &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);

    ASSERT_EQ(RegDeleteValueA(key, "LastSaveDir"), ERROR_SUCCESS);
    queryString(key, "LastSaveDir", &status);
    EXPECT_EQ(status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValueA(key, "LastSaveDir"), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegDeleteValueA(key, nullptr), ERROR_SUCCESS); // the default value
    queryString(key, "", &status);
    EXPECT_EQ(status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(valueNames(key), std::vector<std::string>{"RecordSpeed"});
}

TEST_F(RegistryTest, HivesAreSeparateFilesUnderTheStateRoot)
{
    KeyHolder machine, user;
    ASSERT_EQ(
        RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\Orvel Works\\Lumin\\Settings", machine.out()),
        ERROR_SUCCESS);
    ASSERT_EQ(setString(machine, "Model", "machine"), ERROR_SUCCESS);
    KeyHolder missing;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Orvel Works\\Lumin\\Settings", 0,
                            KEY_READ, missing.out()),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(missing.get(), nullptr);

    ASSERT_TRUE(configFolder().starts_with(m_root.path()));
    EXPECT_NE(fileText(hivePath("HKEY_LOCAL_MACHINE"))
                  .find("[HKEY_LOCAL_MACHINE\\Software\\Orvel Works\\Lumin\\Settings]\n"
                        "\"Model\"=\"machine\"\n"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(hivePath("HKEY_CURRENT_USER")));
}

TEST_F(RegistryTest, BufferSizesFollowWin32)
{
    KeyHolder key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Sizes", key.out()), ERROR_SUCCESS);
    ASSERT_EQ(setString(key, "Text", "hello"), ERROR_SUCCESS);

    DWORD type = 0, size = 0;
    // Size query with no buffer: the count includes the terminating zero.
    ASSERT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 6u);

    char small[3] = {'x', 'x', 'x'};
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, reinterpret_cast<BYTE*>(small), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u);

    char exact[6];
    size = sizeof exact;
    ASSERT_EQ(
        RegQueryValueExA(key, "Text", nullptr, nullptr, reinterpret_cast<BYTE*>(exact), &size),
        ERROR_SUCCESS);
    EXPECT_STREQ(exact, "hello");

    // A string stored without its zero reads back with one; a text cut at an inner zero ends
    // there.
    ASSERT_EQ(RegSetValueExA(key, "NoZero", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3),
              ERROR_SUCCESS);
    EXPECT_EQ(queryString(key, "NoZero"), "abc");
    ASSERT_EQ(RegSetValueExA(key, "Empty", 0, REG_SZ, nullptr, 0), ERROR_SUCCESS);
    size = 0;
    ASSERT_EQ(RegQueryValueExA(key, "Empty", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 1u);

    // Type only.
    ASSERT_EQ(setDword(key, "Number", 7), ERROR_SUCCESS);
    type = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Number", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);

    // Enumerated names: the size counts the zero going in and not coming out.
    char name[5];
    DWORD chars = 4;
    EXPECT_EQ(RegEnumValueA(key, 0, name, &chars, nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
    chars = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 0, name, &chars, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(chars, 4u);
    EXPECT_STREQ(name, "Text");
    char tiny[3];
    chars = sizeof tiny;
    EXPECT_EQ(RegEnumValueA(key, 1, tiny, &chars, nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA); // "NoZero"

    DWORD subkeys = 9, values = 0, maxName = 0, maxData = 0;
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                               &maxName, &maxData, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subkeys, 0u);
    EXPECT_EQ(values, 4u);
    EXPECT_EQ(maxName, 6u); // "NoZero"
    EXPECT_EQ(maxData, 6u); // "hello" and its zero
}

TEST_F(RegistryTest, BadArgumentsGetCodesNotCrashes)
{
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    KeyHolder key;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, nullptr, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              key.out(), nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Bad\nName", key.out()), ERROR_INVALID_PARAMETER);
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Args", key.out()), ERROR_SUCCESS);

    BYTE data[4];
    EXPECT_EQ(RegQueryValueExA(key, "x", nullptr, nullptr, data, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExA(key, "x", 0, REG_SZ, nullptr, 4), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExA(key, "x", 0, REG_DWORD, data, 2), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegEnumKeyExA(key, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegEnumValueA(key, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegDeleteKeyA(key, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED); // a hive's root

    // Handles that were never opened or are closed already.
    auto bogus = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x1234));
    EXPECT_EQ(RegCloseKey(bogus), ERROR_INVALID_HANDLE);
    EXPECT_EQ(setString(bogus, "x", "y"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
    HKEY closed = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Args", 0, KEY_READ, &closed),
              ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(closed), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(closed), ERROR_INVALID_HANDLE);

    // A key opened for reading refuses writes.
    KeyHolder readOnly;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Args", 0, KEY_READ, readOnly.out()),
              ERROR_SUCCESS);
    EXPECT_EQ(setString(readOnly, "x", "y"), ERROR_ACCESS_DENIED);
    KeyHolder child;
    EXPECT_EQ(RegCreateKeyExA(readOnly, "Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              child.out(), nullptr),
              ERROR_ACCESS_DENIED);
}

TEST_F(RegistryTest, NamesCompareWithoutCaseAndKeepTheirCase)
{
    KeyHolder key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "CLSID\\{941E9A95-FB46-11D4-B09E-009027BD8645}",
                            key.out()),
              ERROR_SUCCESS);
    ASSERT_EQ(setString(key, "ThreadingModel", "Apartment"), ERROR_SUCCESS);

    KeyHolder other;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "clsid\\{941e9a95-fb46-11d4-b09e-009027bd8645}", 0,
                            KEY_ALL_ACCESS, other.out()),
              ERROR_SUCCESS);
    EXPECT_EQ(queryString(other, "THREADINGMODEL"), "Apartment");
    ASSERT_EQ(setString(other, "threadingmodel", "Both"), ERROR_SUCCESS);
    EXPECT_EQ(valueNames(key), std::vector<std::string>{"ThreadingModel"});
    EXPECT_EQ(queryString(key, "ThreadingModel"), "Both");

    KeyHolder clsid;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "Clsid", 0, KEY_READ, clsid.out()), ERROR_SUCCESS);
    EXPECT_EQ(subkeyNames(clsid),
              std::vector<std::string>{"{941E9A95-FB46-11D4-B09E-009027BD8645}"});
    EXPECT_EQ(subkeyNames(HKEY_CLASSES_ROOT), std::vector<std::string>{"CLSID"});
}

TEST_F(RegistryTest, EnumerationKeepsCreationOrder)
{
    KeyHolder key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Order", key.out()), ERROR_SUCCESS);
    for (const char* name : {"zeta", "Alpha", "mid"}) {
        KeyHolder sub;
        ASSERT_EQ(RegCreateKeyA(key, name, sub.out()), ERROR_SUCCESS);
        ASSERT_EQ(setString(key, name, name), ERROR_SUCCESS);
    }
    std::vector<std::string> expected{"zeta", "Alpha", "mid"};
    EXPECT_EQ(subkeyNames(key), expected);
    EXPECT_EQ(valueNames(key), expected);

    char name[16];
    EXPECT_EQ(RegEnumKeyA(key, 3, name, sizeof name), ERROR_NO_MORE_ITEMS);
    DWORD chars = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 3, name, &chars, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);

    // Re-setting a value keeps its place; removing and re-adding moves it last.
    ASSERT_EQ(setString(key, "zeta", "again"), ERROR_SUCCESS);
    EXPECT_EQ(valueNames(key), expected);
    ASSERT_EQ(RegDeleteKeyA(key, "zeta"), ERROR_SUCCESS);
    KeyHolder back;
    ASSERT_EQ(RegCreateKeyA(key, "zeta", back.out()), ERROR_SUCCESS);
    EXPECT_EQ(subkeyNames(key), (std::vector<std::string>{"Alpha", "mid", "zeta"}));
}

TEST_F(RegistryTest, KeyTreeDeletion)
{
    KeyHolder top;
    ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "Lumin.Luminent", top.out()), ERROR_SUCCESS);
    KeyHolder deep;
    ASSERT_EQ(RegCreateKeyA(top, "CurVer\\Inner\\Deeper", deep.out()), ERROR_SUCCESS);
    ASSERT_EQ(setString(deep, nullptr, "x"), ERROR_SUCCESS);
    KeyHolder sibling;
    ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "Lumin.Luminent.1", sibling.out()), ERROR_SUCCESS);

    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "Lumin.Luminent"), ERROR_ACCESS_DENIED);
    ASSERT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "lumin.luminent"), ERROR_SUCCESS);

    KeyHolder gone;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "Lumin.Luminent\\CurVer", 0, KEY_READ, gone.out()),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(subkeyNames(HKEY_CLASSES_ROOT), std::vector<std::string>{"Lumin.Luminent.1"});
    // Handles into the deleted tree report it.
    EXPECT_EQ(setString(deep, "y", "z"), ERROR_KEY_DELETED);
    EXPECT_EQ(queryString(deep, nullptr), "");
    LONG status = 0;
    queryString(top, nullptr, &status);
    EXPECT_EQ(status, ERROR_KEY_DELETED);
    EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "Lumin.Luminent"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(fileText(hivePath("HKEY_CLASSES_ROOT")).find("CurVer"), std::string::npos);

    // A null subkey empties the key itself but keeps it.
    KeyHolder a;
    ASSERT_EQ(RegCreateKeyA(sibling, "A\\B", a.out()), ERROR_SUCCESS);
    ASSERT_EQ(setString(sibling, "v", "w"), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteTreeA(sibling, nullptr), ERROR_SUCCESS);
    EXPECT_TRUE(subkeyNames(sibling).empty());
    EXPECT_TRUE(valueNames(sibling).empty());
    EXPECT_EQ(subkeyNames(HKEY_CLASSES_ROOT), std::vector<std::string>{"Lumin.Luminent.1"});
}

TEST_F(RegistryTest, ValuesSurviveAProcessRestart)
{
    {
        KeyHolder key;
        ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Restart", key.out()), ERROR_SUCCESS);
        // Characters the text form must escape, and UTF-8.
        ASSERT_EQ(setString(key, "Path\\\"Odd\"", "C:\\dir \"quoted\"\nline two\r\xc3\xa9"),
                  ERROR_SUCCESS);
        ASSERT_EQ(setString(key, "Plain", "value"), ERROR_SUCCESS);
    }
    ChildProcess check(
        {"check", "Software\\Restart", "Path\\\"Odd\"", "C:\\dir \"quoted\"\nline two\r\xc3\xa9"});
    EXPECT_EQ(check.wait(), 0);
    ChildProcess checkCase({"check", "SOFTWARE\\restart", "plain", "value"});
    EXPECT_EQ(checkCase.wait(), 0);

    // And the other way round: what another process wrote is seen here.
    ChildProcess writer({"write", "Software\\FromChild", "3"});
    ASSERT_EQ(writer.wait(), 0);
    KeyHolder key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\FromChild", 0, KEY_READ, key.out()),
              ERROR_SUCCESS);
    EXPECT_EQ(queryDword(key, "v2"), 2u);
    EXPECT_EQ(subkeyNames(key), (std::vector<std::string>{"k0", "k1", "k2"}));
}

TEST_F(RegistryTest, HandWrittenFileIsRead)
{
    writeFile(hivePath("HKEY_LOCAL_MACHINE"),
              "; written by hand\r\n"
              "[hkey_local_machine\\Software\\Orvel Works\\Lumin\\Settings]\r\n"
              "@=\"dflt\"\r\n"
              "  \"Count\"=dword:0000001F  \r\n"
              "\"Blob\"=hex:00,ff,10\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Orvel Works\\Lumin\\Settings\\Models\\AX-210]\n"
              "\"Target\"=\"{00000000-0000-0000-0000-000000000001}\"\n");
    KeyHolder key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Orvel Works\\Lumin\\Settings", 0,
                            KEY_READ, key.out()),
              ERROR_SUCCESS);
    EXPECT_EQ(queryString(key, nullptr), "dflt");
    EXPECT_EQ(queryDword(key, "count"), 31u);
    BYTE blob[8];
    DWORD size = sizeof blob, type = 0;
    ASSERT_EQ(RegQueryValueExA(key, "Blob", nullptr, &type, blob, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_BINARY);
    ASSERT_EQ(size, 3u);
    EXPECT_EQ(blob[1], 0xff);
    KeyHolder model;
    ASSERT_EQ(RegOpenKeyExA(key, "Models\\AX-210", 0, KEY_READ, model.out()), ERROR_SUCCESS);
    EXPECT_EQ(queryString(model, "Target"), "{00000000-0000-0000-0000-000000000001}");

    // A change rewrites the file in the canonical form, keeping everything.
    KeyHolder writable;
    ASSERT_EQ(
        RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\Orvel Works\\Lumin\\Settings", writable.out()),
        ERROR_SUCCESS);
    ASSERT_EQ(setDword(writable, "Count", 32), ERROR_SUCCESS);
    std::string text = fileText(hivePath("HKEY_LOCAL_MACHINE"));
    EXPECT_NE(text.find("\"Count\"=dword:00000020\n"), std::string::npos);
    EXPECT_NE(text.find("\"Blob\"=hex:00,ff,10\n"), std::string::npos);
    EXPECT_NE(text.find("\\Models\\AX-210]\n"), std::string::npos);
}

TEST_F(RegistryTest, DamagedFileIsReportedAndLeftAlone)
{
    const std::string damaged = "[HKEY_CURRENT_USER\\Software\\Good]\n"
                                "\"a\"=\"1\"\n"
                                "\"b\"=dword:xyz\n";
    const std::string path = hivePath("HKEY_CURRENT_USER");
    writeFile(path, damaged);

    testing::internal::CaptureStderr();
    KeyHolder key;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Good", 0, KEY_READ, key.out()),
              ERROR_BADDB);
    EXPECT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Other", key.out()), ERROR_BADDB);
    EXPECT_EQ(setString(HKEY_CURRENT_USER, "x", "y"), ERROR_BADDB);
    EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, nullptr), ERROR_BADDB);
    std::string report = testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find(path + " line 3"), std::string::npos) << report;
    // One line, not one per call.
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 1) << report;
    EXPECT_EQ(fileText(path), damaged);

    // Other hives are unaffected, and a mended file is used again.
    KeyHolder machine;
    EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software", machine.out()), ERROR_SUCCESS);
    writeFile(path, "[HKEY_CURRENT_USER\\Software\\Good]\n\"a\"=\"1\"\n");
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Good", 0, KEY_READ, key.out()),
              ERROR_SUCCESS);
    EXPECT_EQ(queryString(key, "a"), "1");
}

// A named pipe or a folder in a hive's place must not hang the process (an open would wait
// for a writer for ever): it is refused as a damaged hive, said once, and left where it is.
TEST_F(RegistryTest, SomethingOtherThanAFileInTheHivesPlaceIsRefusedWithoutBlocking)
{
    const std::string path = hivePath("HKEY_CURRENT_USER");
    std::filesystem::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    testing::internal::CaptureStderr();
    KeyHolder key;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, key.out()), ERROR_BADDB);
    EXPECT_EQ(setString(HKEY_CURRENT_USER, "x", "y"), ERROR_BADDB);
    std::string report = testing::internal::GetCapturedStderr();
    EXPECT_EQ(report, "registry: " + path +
                          " is not a regular file; the hive cannot be used until it is mended\n");
    EXPECT_TRUE(std::filesystem::is_fifo(path));

    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    testing::internal::CaptureStderr();
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, key.out()), ERROR_BADDB);
    report = testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find(path + " is not a regular file"), std::string::npos) << report;
    EXPECT_TRUE(std::filesystem::is_directory(path));
}

TEST_F(RegistryTest, MalformedLinesAreAllRejected)
{
    const char* bad[] = {
        "\"v\"=\"x\"\n",                               // value before any section
        "[HKEY_LOCAL_MACHINE\\Software]\n",            // another hive's section
        "[HKEY_CURRENT_USER\\\\Software]\n",           // empty key name
        "[HKEY_CURRENT_USER\n",                        // unclosed section
        "[HKEY_CURRENT_USER]\n\"v\"=\"unterminated\n", // open string
        "[HKEY_CURRENT_USER]\n\"v\"=\"bad \\q escape\"\n",
        "[HKEY_CURRENT_USER]\n\"v\"=dword:123456789\n",
        "[HKEY_CURRENT_USER]\n\"v\"=hex:0g\n",
        "[HKEY_CURRENT_USER]\n\"v\"=hex(x):00\n",
        "[HKEY_CURRENT_USER]\n\"v\"\"=\"x\"\n",
        "[HKEY_CURRENT_USER]\n\"\"=\"x\"\n",
        "[HKEY_CURRENT_USER]\nnonsense\n",
    };
    testing::internal::CaptureStderr();
    for (const char* text : bad) {
        writeFile(hivePath("HKEY_CURRENT_USER"), text);
        DWORD count = 0;
        EXPECT_EQ(RegQueryInfoKeyA(HKEY_CURRENT_USER, nullptr, nullptr, nullptr, &count, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
                  ERROR_BADDB)
            << text;
        EXPECT_EQ(fileText(hivePath("HKEY_CURRENT_USER")), text);
    }
    testing::internal::GetCapturedStderr();
}
} // namespace
