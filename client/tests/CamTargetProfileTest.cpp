// What each target reports through GetCaps after Init with each kind of model name: the lists,
// their defaults, the cameras and PTZ, and the ownership rules of the returned block.

#include "client/tests/LuminFixture.h"
#include "common/LuminClasses.h"
#include "platform/com/TaskMemory.h"

namespace lumin::test {
namespace {

using List = std::vector<std::string>;

const List kA = {"320x240", "640x480"};
const List kB = {"176x144 (PAL)",  "352x288 (PAL)",  "704x576 (PAL)",
                 "176x112 (NTSC)", "352x240 (NTSC)", "704x480 (NTSC)"};
const List kD = {"160x120", "320x240", "640x480"};
const List kF = {"176x112 (NTSC)", "352x240 (NTSC)", "704x240 (NTSC)", "704x480 (NTSC)"};
const List kF211 = {"176x112 (NTSC)", "352x240 (NTSC)", "704x480 (NTSC)"};
const List kG = {"176x144 (PAL)",  "352x288 (PAL)",  "704x288 (PAL)",  "704x576 (PAL)",
                 "176x112 (NTSC)", "352x240 (NTSC)", "704x240 (NTSC)", "704x480 (NTSC)"};
const List kJ = {"352x288 (PAL)",  "704x288 (PAL)",  "704x576 (PAL)",
                 "352x240 (NTSC)", "704x240 (NTSC)", "704x480 (NTSC)"};
const List kJ211 = {"352x288 (PAL)", "704x576 (PAL)", "352x240 (NTSC)", "704x480 (NTSC)"};
const List kExtra = {"320x240", "640x480", "4CIF", "CIF", "QCIF", "2CIF", "2CIFEXP"};
const List kOne = {"1"};
const List kFour = {"1", "2", "3", "4"};

List concat(List a, const List& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct ProfileCase {
    const char* label;
    CLSID clsid;
    const char* model; // nullptr: Init(null)
    List video;
    int videoDefault;
    List image;
    int imageDefault;
    List cameras;
    bool ptz;
};

void PrintTo(const ProfileCase& c, std::ostream* os)
{
    *os << c.label;
}

const ProfileCase kCases[] = {
    {"T210_A", CLSID_CamTarget210, "OC30", kA, 0, kA, 1, kOne, false},
    {"T210_B", CLSID_CamTarget210, "OS34", kB, 1, kB, 2, kFour, true},
    {"T210_C", CLSID_CamTarget210, "OS31", kB, 1, kB, 2, kOne, true},
    {"T210_D", CLSID_CamTarget210, "OC32", kD, 1, kD, 2, kOne, false},
    {"T210_E1", CLSID_CamTarget210, "OC33", kA, 1, kA, 2, kOne, false},
    {"T210_E2", CLSID_CamTarget210, "OC35", kA, 1, kA, 2, kOne, false},
    {"T210_F", CLSID_CamTarget210, "OD41", kF, 1, kF, 2, kOne, true},
    {"T210_G", CLSID_CamTarget210, "OS44", kG, 1, kG, 2, kFour, true},
    {"T210_H", CLSID_CamTarget210, "OS42", kG, 1, kG, 2, kOne, true},
    {"T210_I", CLSID_CamTarget210, "OC43", kB, 1, kB, 2, kOne, false},
    {"T210_J", CLSID_CamTarget210, "OD45", kJ, 1, kJ, 2, kOne, true},
    {"T210_K", CLSID_CamTarget210, "OC46", kJ, 1, kJ, 2, kOne, false},
    {"T210_unknown", CLSID_CamTarget210, "NoSuchCam", concat(kG, kExtra), 1, concat(kG, kExtra), 2,
     kFour, true},
    // The table is matched exactly: another letter case is an unknown model.
    {"T210_lowercase", CLSID_CamTarget210, "oc30", concat(kG, kExtra), 1, concat(kG, kExtra), 2,
     kFour, true},
    {"T210_null", CLSID_CamTarget210, nullptr, concat(kG, kExtra), 1, concat(kG, kExtra), 2, kFour,
     true},
    {"T211_A", CLSID_CamTarget211, "OC30", kA, 0, kA, 1, kOne, false},
    {"T211_B", CLSID_CamTarget211, "OS34", kB, 1, kB, 2, kFour, true},
    {"T211_F", CLSID_CamTarget211, "OD41", kF211, 1, kF211, 2, kOne, true},
    {"T211_G", CLSID_CamTarget211, "OS44", kB, 1, kB, 2, kFour, true},
    {"T211_H", CLSID_CamTarget211, "OS42", kB, 1, kB, 2, kOne, true},
    {"T211_J", CLSID_CamTarget211, "OD45", kJ211, 1, kJ211, 2, kOne, true},
    {"T211_K", CLSID_CamTarget211, "OC46", kJ211, 1, kJ211, 2, kOne, false},
    {"T211_unknown", CLSID_CamTarget211, "", concat(kB, kExtra), 1, concat(kB, kExtra), 2, kFour,
     true},
    {"T100_multi",
     CLSID_CamTarget100,
     "OS10",
     {"halfsize", "fullsize"},
     1,
     {"halfsize", "fullsize", "hugesize"},
     1,
     kFour,
     true},
    // Init matches the multi-input name exactly; the URLs later ignore case.
    {"T100_multi_lowercase",
     CLSID_CamTarget100,
     "os10",
     {"halfsize", "fullsize"},
     1,
     {"halfsize", "fullsize", "hugesize"},
     1,
     kOne,
     false},
    {"T100_plain",
     CLSID_CamTarget100,
     "OC11",
     {"halfsize", "fullsize"},
     1,
     {"halfsize", "fullsize", "hugesize"},
     1,
     kOne,
     false},
    {"T110_single",
     CLSID_CamTarget110,
     "OC11",
     {"halfsize", "fullsize", "hugesize"},
     1,
     {"halfsize", "fullsize", "hugesize"},
     2,
     kOne,
     true},
    {"T110_multi",
     CLSID_CamTarget110,
     "OS10",
     {"halfsize", "fullsize", "hugesize"},
     1,
     {"halfsize", "fullsize", "hugesize"},
     2,
     kFour,
     true},
    {"T110_null",
     CLSID_CamTarget110,
     nullptr,
     {"halfsize", "fullsize", "hugesize"},
     1,
     {"halfsize", "fullsize", "hugesize"},
     2,
     kFour,
     true},
    {"T200",
     CLSID_CamTarget200,
     "OC20",
     {"video320x240", "video640x480"},
     0,
     {"image320x240", "image640x480"},
     1,
     kOne,
     false},
    {"T201",
     CLSID_CamTarget201,
     "OS21",
     {"352x288 (PAL)", "704x576 (PAL)", "352x240 (NTSC)", "704x480 (NTSC)"},
     0,
     {"352x288 (PAL)", "704x576 (PAL)", "352x240 (NTSC)", "704x480 (NTSC)"},
     1,
     kOne,
     false},
};

class TargetProfile : public LuminFixture, public testing::WithParamInterface<ProfileCase> {};

TEST_P(TargetProfile, ReportsItsListsDefaultsCamerasAndPtz)
{
    const ProfileCase& c = GetParam();
    ComPtr<ICamTarget> target = create<ICamTarget>(c.clsid);
    ASSERT_TRUE(target);
    ASSERT_EQ(target->Init(Arg(c.model)), S_OK);

    Caps video = getCaps(target.get(), CamCapsVideoResolutions);
    EXPECT_EQ(video.hr, S_OK);
    EXPECT_EQ(video.entries, c.video);
    EXPECT_EQ(video.defaultIndex, c.videoDefault);

    Caps image = getCaps(target.get(), CamCapsImageResolutions);
    EXPECT_EQ(image.hr, S_OK);
    EXPECT_EQ(image.entries, c.image);
    EXPECT_EQ(image.defaultIndex, c.imageDefault);

    Caps cameras = getCaps(target.get(), CamCapsCameras);
    EXPECT_EQ(cameras.hr, S_OK);
    EXPECT_EQ(cameras.entries, c.cameras);
    EXPECT_EQ(cameras.defaultIndex, 0);

    EXPECT_EQ(target->GetCaps(CamCapsPtz, nullptr, nullptr, nullptr), c.ptz ? S_OK : S_FALSE);
}

INSTANTIATE_TEST_SUITE_P(AllProfiles, TargetProfile, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.label); });

class TargetCaps : public LuminFixture {};

TEST_F(TargetCaps, SecondInitAppendsTheListsAgain)
{
    ComPtr<ICamTarget> target = create<ICamTarget>(CLSID_CamTarget210);
    ASSERT_EQ(target->Init(Arg("OC30")), S_OK);
    ASSERT_EQ(target->Init(Arg("OC30")), S_OK);
    EXPECT_EQ(getCaps(target.get(), CamCapsVideoResolutions).entries, concat(kA, kA));
    EXPECT_EQ(getCaps(target.get(), CamCapsCameras).entries, List({"1", "1"}));
}

TEST_F(TargetCaps, BeforeInitListsAreEmptyButCamerasStillGetABlock)
{
    ComPtr<ICamTarget> target = create<ICamTarget>(CLSID_CamTarget210);
    INT size = -1, def = -1;
    BSTR* block = reinterpret_cast<BSTR*>(&size); // must be overwritten
    EXPECT_EQ(target->GetCaps(CamCapsVideoResolutions, &size, &block, &def), S_OK);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(def, 0);

    EXPECT_EQ(target->GetCaps(CamCapsCameras, &size, &block, &def), S_OK);
    EXPECT_EQ(size, 0);
    EXPECT_NE(block, nullptr);
    CoTaskMemFree(block);

    EXPECT_EQ(target->GetCaps(CamCapsPtz, nullptr, nullptr, nullptr), S_FALSE);
}

TEST_F(TargetCaps, NullOutPointersAreRejectedExceptForPtz)
{
    ComPtr<ICamTarget> target = create<ICamTarget>(CLSID_CamTarget201);
    ASSERT_EQ(target->Init(nullptr), S_OK);
    INT size = 7, def = 7;
    BSTR* block = nullptr;
    EXPECT_EQ(target->GetCaps(CamCapsVideoResolutions, nullptr, &block, &def), E_INVALIDARG);
    EXPECT_EQ(target->GetCaps(CamCapsImageResolutions, &size, nullptr, &def), E_INVALIDARG);
    EXPECT_EQ(target->GetCaps(CamCapsCameras, &size, &block, nullptr), E_INVALIDARG);
    EXPECT_EQ(target->GetCaps(CamCapsPtz, nullptr, nullptr, nullptr), S_FALSE);
    // An unknown flag succeeds with zeroed outputs.
    EXPECT_EQ(target->GetCaps(9, &size, &block, &def), S_OK);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(def, 0);
}

TEST_F(TargetCaps, ReturnedStringsAreIndependentOfTheTarget)
{
    ComPtr<ICamTarget> target = create<ICamTarget>(CLSID_CamTarget210);
    ASSERT_EQ(target->Init(Arg("OC32")), S_OK);
    INT size = 0, def = 0;
    BSTR* block = nullptr;
    ASSERT_EQ(target->GetCaps(CamCapsVideoResolutions, &size, &block, &def), S_OK);
    target.reset(); // the caller owns the block and its strings now
    ASSERT_EQ(size, 3);
    EXPECT_EQ(bstrToUtf8(block[2]), "640x480");
    EXPECT_EQ(SysStringLen(block[2]), 7u);
    for (INT i = 0; i < size; ++i)
        SysFreeString(block[i]);
    CoTaskMemFree(block);
}

TEST_F(TargetCaps, DynamicInitAndSoundUrlAreNotImplementedAnywhere)
{
    for (const CLSID& clsid : {CLSID_CamTarget100, CLSID_CamTarget110, CLSID_CamTarget200,
                               CLSID_CamTarget201, CLSID_CamTarget210, CLSID_CamTarget211}) {
        ComPtr<ICamTarget> target = create<ICamTarget>(clsid);
        ASSERT_TRUE(target);
        target->Init(Arg("OS10"));
        BSTR url = nullptr;
        EXPECT_EQ(target->DynamicInit(Arg("cam1")), E_NOTIMPL);
        EXPECT_EQ(target->FormatSoundUrl(Arg("cam1"), &url), E_NOTIMPL);
        EXPECT_EQ(url, nullptr);
    }
}

} // namespace
} // namespace lumin::test
