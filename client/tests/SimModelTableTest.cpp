// The simulated models must be the client's models: same names, firmware, interface per
// firmware and greeting, and every simulated greeting must identify as its own model and
// firmware through the client's patterns.

#include "client/BannerMatcher.h"
#include "client/ModelTable.h"
#include "tools/camsim/SimModels.h"

#include <gtest/gtest.h>

using namespace camsim;

TEST(SimModelTableTest, MirrorsTheClientModelTable)
{
    auto rows = lumin::modelRows();
    auto models = simModels();
    ASSERT_EQ(rows.size(), models.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const lumin::ModelRow& row = rows[i];
        const SimModel& model = models[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(model.name, row.name);
        std::size_t versions = 0;
        for (const lumin::FirmwareRow& firmware : row.firmware) {
            if (!firmware.version)
                continue;
            ASSERT_LT(versions, model.firmware.size());
            EXPECT_EQ(model.firmware[versions].version, firmware.version);
            EXPECT_STREQ(generationName(model.firmware[versions].generation),
                         lumin::targetClassName(firmware.target));
            ++versions;
        }
        EXPECT_EQ(versions, model.firmware.size());
        EXPECT_EQ(bannerFor(model, model.defaultFirmware), row.banner);
    }
}

TEST(SimModelTableTest, EveryGreetingIdentifiesItsModelAndFirmware)
{
    std::vector<std::string> patterns(lumin::bannerPatterns().begin(),
                                      lumin::bannerPatterns().end());
    for (const SimModel& model : simModels())
        for (const SimFirmware& firmware : model.firmware) {
            std::string banner = bannerFor(model, firmware.version);
            auto match = lumin::matchBanner(patterns, banner);
            ASSERT_TRUE(match) << banner;
            EXPECT_EQ(match->name, model.name) << banner;
            EXPECT_EQ(match->version, firmware.version) << banner;
        }
}
