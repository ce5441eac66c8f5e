#include "client/ModelLookup.h"
#include "client/tests/IdentifySupport.h"
#include "platform/registry/Registry.h"

namespace lumin::test {
namespace {

class ModelTable : public IdentifyFixture {
protected:
    ComPtr<ICamTarget> getTarget(const char* name, const char* version, HRESULT* hr)
    {
        ICamTarget* target = reinterpret_cast<ICamTarget*>(0x1);
        *hr = m_identify->GetTarget(Arg(name), Arg(version), &target);
        return ComPtr<ICamTarget>::attach(target);
    }
    void setModelValue(const char* model, const char* name, DWORD type, const void* data,
                       DWORD size)
    {
        HKEY key = nullptr;
        const std::string path = std::string(kModelTableKey) + "\\" + model;
        ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key), ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
};

TEST_F(ModelTable, StoredModelAndVersionGiveTheirTarget)
{
    for (const ModelRow& row : modelRows()) {
        for (const FirmwareRow& firmware : row.firmware) {
            if (!firmware.version)
                continue;
            HRESULT hr = E_UNEXPECTED;
            ComPtr<ICamTarget> target = getTarget(row.name, firmware.version, &hr);
            ASSERT_EQ(hr, S_OK) << row.name << " " << firmware.version;
            EXPECT_EQ(targetAnswers(target.get()), answersOfClass(firmware.target, row.name))
                << row.name << " " << firmware.version;
        }
    }
}

TEST_F(ModelTable, FallsBackToTheModelThenToTheTable)
{
    const ModelRow& row = modelRows().front();
    HRESULT hr = E_UNEXPECTED;
    // "Other" as version: the model's default; as name, or no name: the table's default.
    for (const char* version : {"Other", "0.01", static_cast<const char*>(nullptr)}) {
        ComPtr<ICamTarget> target = getTarget(row.name, version, &hr);
        ASSERT_EQ(hr, S_OK);
        EXPECT_EQ(targetAnswers(target.get()), answersOfClass(row.defaultTarget, row.name));
    }
    for (const char* name : {"Other", "", static_cast<const char*>(nullptr)}) {
        ComPtr<ICamTarget> target = getTarget(name, "1.00", &hr);
        ASSERT_EQ(hr, S_OK) << (name ? name : "null");
        EXPECT_EQ(targetAnswers(target.get()),
                  answersOfClass(TargetClass::CamTarget210, name ? name : ""));
    }
    EXPECT_EQ(m_identify->GetTarget(Arg("OC30"), Arg("3.00"), nullptr), E_INVALIDARG);
    EXPECT_NE(logText().find("GetTarget (OC30 3.00)"), std::string::npos);
}

TEST_F(ModelTable, MissingTableOrEmptyClassFails)
{
    const char empty[] = "";
    setModelValue("BROKEN", "1.00", REG_SZ, empty, sizeof empty);
    HRESULT hr = E_UNEXPECTED;
    ComPtr<ICamTarget> target = getTarget("BROKEN", "1.00", &hr);
    EXPECT_EQ(hr, E_FAIL);
    EXPECT_FALSE(target);
    EXPECT_NE(logText().find("LookupTarget failed"), std::string::npos);

    ASSERT_EQ(RegDeleteTreeA(HKEY_LOCAL_MACHINE, kModelTableKey), ERROR_SUCCESS);
    target = getTarget("OC30", "3.00", &hr);
    EXPECT_EQ(hr, E_FAIL);
    EXPECT_FALSE(target);
}

TEST_F(ModelTable, ChooserListsVisibleModelsInRegistryOrder)
{
    std::vector<std::string> shipped;
    for (const ModelRow& row : modelRows()) {
        if (!row.hidden)
            shipped.push_back(row.name);
    }
    EXPECT_EQ(chooserModelNames(), shipped);

    // "Hidden" hides whatever its type and data, even 0.
    const DWORD zero = 0;
    setModelValue(shipped.front().c_str(), "Hidden", REG_DWORD, &zero, sizeof zero);
    const char no[] = "no";
    setModelValue(shipped.back().c_str(), "Hidden", REG_SZ, no, sizeof no);
    const auto names = chooserModelNames();
    EXPECT_EQ(names, std::vector<std::string>(shipped.begin() + 1, shipped.end() - 1));
}

TEST_F(ModelTable, VersionsOfAModelAreItsValueNames)
{
    const ModelRow& row = modelRows().front();
    std::vector<std::string> expected;
    for (const FirmwareRow& firmware : row.firmware) {
        if (firmware.version)
            expected.push_back(firmware.version);
    }
    EXPECT_EQ(modelVersionNames(row.name), expected);
    EXPECT_FALSE(modelVersionNames("NOSUCH"));
    EXPECT_FALSE(modelVersionNames(std::string(261, 'A')));
}

} // namespace
} // namespace lumin::test
