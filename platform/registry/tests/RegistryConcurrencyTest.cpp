#include "platform/registry/tests/ChildProcess.h"
#include "platform/registry/tests/RegistryTestSupport.h"
#include "testsupport/TempStateRoot.h"

#include <gtest/gtest.h>
#include <thread>

namespace {
constexpr int kWrites = 150;

void expectAllWritten(const char* path, int count)
{
    KeyHolder key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, key.out()), ERROR_SUCCESS)
        << path;
    DWORD subkeys = 0, values = 0;
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subkeys, static_cast<DWORD>(count)) << path;
    EXPECT_EQ(values, static_cast<DWORD>(count)) << path;
    for (int i = 0; i < count; ++i) {
        std::string name = "v" + std::to_string(i);
        LONG status = 0;
        EXPECT_EQ(queryDword(key, name.c_str(), &status), static_cast<DWORD>(i));
        EXPECT_EQ(status, ERROR_SUCCESS) << path << " " << name;
    }
}

TEST(RegistryConcurrencyTest, TwoProcessesWritingDifferentKeysLoseNothing)
{
    TempStateRoot root;
    ChildProcess first({"write", "Software\\First", std::to_string(kWrites)});
    ChildProcess second({"write", "Software\\Second", std::to_string(kWrites)});
    // This process writes a third key meanwhile.
    KeyHolder own;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Third", own.out()), ERROR_SUCCESS);
    for (int i = 0; i < kWrites; ++i) {
        std::string name = "v" + std::to_string(i);
        ASSERT_EQ(setDword(own, name.c_str(), static_cast<DWORD>(i)), ERROR_SUCCESS);
        KeyHolder sub;
        ASSERT_EQ(RegCreateKeyA(own, ("k" + std::to_string(i)).c_str(), sub.out()), ERROR_SUCCESS);
    }
    ASSERT_EQ(first.wait(), 0);
    ASSERT_EQ(second.wait(), 0);
    expectAllWritten("Software\\First", kWrites);
    expectAllWritten("Software\\Second", kWrites);
    expectAllWritten("Software\\Third", kWrites);
}

TEST(RegistryConcurrencyTest, ThreadsShareHandlesAndHives)
{
    TempStateRoot root;
    KeyHolder shared;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Threads", shared.out()), ERROR_SUCCESS);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, key = shared.get()] {
            for (int i = 0; i < 50; ++i) {
                std::string name = "t" + std::to_string(t) + "-" + std::to_string(i);
                EXPECT_EQ(setDword(key, name.c_str(), static_cast<DWORD>(i)), ERROR_SUCCESS);
                EXPECT_EQ(queryDword(key, name.c_str()), static_cast<DWORD>(i));
                HKEY sub = nullptr;
                EXPECT_EQ(RegCreateKeyA(key, name.c_str(), &sub), ERROR_SUCCESS);
                EXPECT_EQ(RegCloseKey(sub), ERROR_SUCCESS);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    DWORD subkeys = 0, values = 0;
    ASSERT_EQ(RegQueryInfoKeyA(shared, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                               &values, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subkeys, 200u);
    EXPECT_EQ(values, 200u);
}
} // namespace
