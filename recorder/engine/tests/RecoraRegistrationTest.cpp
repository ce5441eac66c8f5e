// The recorder registers itself as the local server of CamRecord and removes that again.
#include "common/RecoraClasses.h"
#include "platform/com/ClassRegistration.h"
#include "platform/com/Runtime.h"
#include "platform/registry/Registry.h"
#include "testsupport/TempStateRoot.h"

#include <gtest/gtest.h>

namespace {
std::string localServerOf(const CLSID& clsid)
{
    const std::string key = "CLSID\\" + guidToString(clsid) + "\\LocalServer32";
    char value[4096] = {};
    DWORD size = sizeof value;
    HKEY hkey = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &hkey) != ERROR_SUCCESS)
        return {};
    LSTATUS status =
        RegQueryValueExA(hkey, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(hkey);
    return status == ERROR_SUCCESS ? std::string(value) : std::string();
}
} // namespace

TEST(RecoraRegistration, RegServerMakesTheClassCreatableByProgIdAndUnregServerRemovesIt)
{
    TempStateRoot root;
    ASSERT_EQ(registerServerProgram(RECORA_PROGRAM, false), S_OK);

    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(u"Recora.CamRecord", &clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_CamRecord));
    EXPECT_EQ(localServerOf(CLSID_CamRecord), RECORA_PROGRAM);

    ASSERT_EQ(registerServerProgram(RECORA_PROGRAM, true), S_OK);
    EXPECT_EQ(CLSIDFromProgID(u"Recora.CamRecord", &clsid), REGDB_E_CLASSNOTREG);
    EXPECT_TRUE(localServerOf(CLSID_CamRecord).empty());
}
