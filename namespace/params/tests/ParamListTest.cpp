// The two readers of a camera's parameter list, fed what cameras send.

#include "namespace/params/ParamList.h"

#include <gtest/gtest.h>

using namespace foldra;
using Strings = std::vector<std::string>;

TEST(CameraParams, AReplyOfTheFiveParametersGivesEveryCapability)
{
    const CameraParams p = parseCameraParams("root.Properties.Image.Resolution=704x576,352x288,"
                                             "176x144\r\n"
                                             "root.ImageSource.NbrOfSources=4\r\n"
                                             "root.Properties.PTZ.PTZ=yes\r\n"
                                             "root.Brand.ProdShortName=OS34\r\n"
                                             "root.Properties.Firmware.Version=3.10\r\n");
    EXPECT_EQ(p.resolutions, (Strings{"704x576", "352x288", "176x144"}));
    EXPECT_EQ(p.cameras, (Strings{"1", "2", "3", "4"}));
    EXPECT_TRUE(p.hasPtz);
    EXPECT_EQ(p.productName, "OS34");
    EXPECT_EQ(p.firmwareVersion, "3.10");
}

TEST(CameraParams, NamesAndYesIgnoreCaseAndLinesEndAnyWay)
{
    const CameraParams p = parseCameraParams("ROOT.PROPERTIES.PTZ.PTZ=YeS\n"
                                             "root.brand.prodshortname=A=B\r"
                                             "root.Properties.Image.Resolution=a,,b,\n");
    EXPECT_TRUE(p.hasPtz);
    EXPECT_EQ(p.productName, "A=B"); // the value is the rest of the line
    EXPECT_EQ(p.resolutions, (Strings{"a", "b"}));
    EXPECT_EQ(p.cameras, (Strings{"1"}));
}

TEST(CameraParams, WithoutAUsableSourceCountTheOneCameraIsOne)
{
    for (const char* count : {"", "0", "-3", "abc", "65", "99999999999999999999"}) {
        const CameraParams p = parseCameraParams(std::string("root.ImageSource.NbrOfSources=") +
                                                 count + "\r\nroot.Properties.PTZ.PTZ=no\r\n");
        EXPECT_EQ(p.cameras, (Strings{"1"})) << count;
        EXPECT_FALSE(p.hasPtz);
    }
    EXPECT_EQ(parseCameraParams("root.ImageSource.NbrOfSources= 2\r\n").cameras,
              (Strings{"1", "2"}));
    EXPECT_EQ(parseCameraParams("").cameras, (Strings{"1"}));
}

TEST(CameraParams, OnlyTheFirstTenNonEmptyLinesCountEachCutTo255)
{
    std::string reply = "\r\n\r\n";
    for (int i = 0; i < 9; ++i)
        reply += "root.Other.P" + std::to_string(i) + "=x\r\n\r\n";
    reply += "root.Properties.Image.Resolution=" + std::string(230, 'r') + ",tail\r\n"; // tenth
    reply += "root.Brand.ProdShortName=Eleventh\r\n";
    const CameraParams p = parseCameraParams(reply);
    EXPECT_TRUE(p.productName.empty());
    // 33 characters of name and "=", then 222 of the value fit in 255.
    EXPECT_EQ(p.resolutions, (Strings{std::string(222, 'r')}));
}

TEST(ParamLines, EveryNameValueLineInOrderAndNothingElse)
{
    const std::vector<Param> params = parseParamLines("root.A=1\r\n\r\n"
                                                      "# Error: Error -1 getting param\r\n"
                                                      "root.B=x=y\n"
                                                      "root.C=\r"
                                                      "=nameless");
    ASSERT_EQ(params.size(), 4u);
    EXPECT_EQ(params[0].name, "root.A");
    EXPECT_EQ(params[0].value, "1");
    EXPECT_EQ(params[1].name, "root.B");
    EXPECT_EQ(params[1].value, "x=y");
    EXPECT_EQ(params[2].name, "root.C");
    EXPECT_EQ(params[2].value, "");
    EXPECT_EQ(params[3].name, "");
    EXPECT_EQ(params[3].value, "nameless");
}
