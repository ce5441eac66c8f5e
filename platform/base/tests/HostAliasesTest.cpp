#include "platform/base/HostAliases.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {
TEST(HostAliasesTest, NamesStandOnlyForLoopbackAddresses)
{
    ::unsetenv(kHostAliasesVariable);
    EXPECT_EQ(hostAlias("cam1"), std::nullopt);
    ::setenv(kHostAliasesVariable, "cam1=127.0.0.7,Gate=127.1.2.3,far=10.0.0.1,bad,x=127.0.0", 1);
    EXPECT_EQ(hostAlias("cam1"), "127.0.0.7");
    EXPECT_EQ(hostAlias("GATE"), "127.1.2.3") << "host names ignore letter case";
    EXPECT_EQ(hostAlias("far"), std::nullopt) << "never off the machine";
    EXPECT_EQ(hostAlias("x"), std::nullopt);
    EXPECT_EQ(hostAlias("bad"), std::nullopt);
    EXPECT_EQ(hostAlias("cam"), std::nullopt);
    EXPECT_EQ(hostAlias(""), std::nullopt);
    ::unsetenv(kHostAliasesVariable);
}
} // namespace
