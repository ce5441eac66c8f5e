// The viewer's strings: the built-in table, and a resource library beside the program that
// replaces the entries it has.
#include "viewer/app/VistelStrings.h"

#include <gtest/gtest.h>

using namespace vistel;

TEST(VistelStrings, TheResourceLibraryReplacesTheEntriesItHasAndTheRestStayBuiltIn)
{
    EXPECT_EQ(templateTitle(), QStringLiteral("Sequence Viewer"));
    EXPECT_EQ(loadString(kStringCreateAviFailed), QStringLiteral("Create AVI failed"));
    EXPECT_FALSE(loadResourceLibrary("/nonexistent"));
    EXPECT_EQ(loadStringPart(kCommandPlay, 1), QStringLiteral("Play"));

    ASSERT_TRUE(loadResourceLibrary(VISTEL_RES_FOLDER));
    EXPECT_EQ(templateTitle(), QStringLiteral("Folgenbetrachter"));
    EXPECT_EQ(loadStringPart(kCommandPlay, 1), QStringLiteral("Abspielen"));
    EXPECT_EQ(loadString(kStringCreateAviFailed), QStringLiteral("Create AVI failed"));
    EXPECT_TRUE(loadString(4242).isEmpty());
}
