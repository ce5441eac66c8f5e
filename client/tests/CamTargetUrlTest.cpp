// The URLs each target builds, as a table of cases: the pieces, the defaults, the resolution
// cut, the NTSC half-size substitution, the zoom pieces and the failure results.

#include "client/tests/LuminFixture.h"
#include "common/LuminClasses.h"

namespace lumin::test {
namespace {

enum class Op { Video, Image, Center, Home, Zoom };

struct UrlCase {
    const char* label;
    CLSID clsid;
    const char* model;
    Op op;
    const char* host;
    const char* resolution; // video and image only
    const char* camera;
    int a = 0, b = 0, c = 0, d = 0; // width, height, x, y; or the zoom code in a
    HRESULT hr = S_OK;
    const char* url = nullptr; // nullptr: the output must stay as it was
};

void PrintTo(const UrlCase& c, std::ostream* os)
{
    *os << c.label;
}

const CLSID T100 = CLSID_CamTarget100, T110 = CLSID_CamTarget110, T200 = CLSID_CamTarget200,
            T201 = CLSID_CamTarget201, T210 = CLSID_CamTarget210, T211 = CLSID_CamTarget211;

const UrlCase kCases[] = {
    // CamTarget210 and its default target behaviour.
    {"T210_video_defaults", T210, "NoSuchCam", Op::Video, "cam1", "", "", 0, 0, 0, 0, S_OK,
     "http://cam1/orvel-cgi/mjpg/video.cgi?resolution=352x288&camera=1"},
    {"T210_image_port_and_camera", T210, "NoSuchCam", Op::Image, "10.0.0.5:8080", "704x576 (PAL)",
     "2", 0, 0, 0, 0, S_OK,
     "http://10.0.0.5:8080/orvel-cgi/jpg/image.cgi?resolution=704x576&camera=2"},
    {"T210_image_default", T210, "NoSuchCam", Op::Image, "h", nullptr, nullptr, 0, 0, 0, 0, S_OK,
     "http://h/orvel-cgi/jpg/image.cgi?resolution=704x288&camera=1"},
    {"T210_resolution_trimmed", T210, "OC30", Op::Video, "h", "  640x480  (wide angle)", "1", 0, 0,
     0, 0, S_OK, "http://h/orvel-cgi/mjpg/video.cgi?resolution=640x480&camera=1"},
    {"T210_resolution_multibyte", T210, "OC30", Op::Video, "h",
     "\t gr\xc3\xb6\xc3\x9f"
     "e \xe2\x80\x93 (x)",
     "1", 0, 0, 0, 0, S_OK,
     "http://h/orvel-cgi/mjpg/video.cgi?resolution=gr\xc3\xb6\xc3\x9f"
     "e \xe2\x80\x93&camera=1"},
    {"T210_resolution_without_parenthesis", T210, "OC30", Op::Video, "h", "halfsize", "1", 0, 0, 0,
     0, S_OK, "http://h/orvel-cgi/mjpg/video.cgi?resolution=halfsize&camera=1"},
    // Profile E's image default lies past its list: the last entry is used.
    {"T210_profileE_image_default", T210, "OC33", Op::Image, "h", "", "", 0, 0, 0, 0, S_OK,
     "http://h/orvel-cgi/jpg/image.cgi?resolution=640x480&camera=1"},
    {"T210_profileE_video_default", T210, "OC35", Op::Video, "h", "", "", 0, 0, 0, 0, S_OK,
     "http://h/orvel-cgi/mjpg/video.cgi?resolution=640x480&camera=1"},
    {"T210_ntsc_halfsize", T210, "OD41", Op::Video, "h", "176x112 (NTSC)", "1", 0, 0, 0, 0, S_OK,
     "http://h/orvel-cgi/mjpg/video.cgi?resolution=halfsize&camera=1"},
    {"T210_ntsc_halfsize_any_case", T210, "OS44", Op::Video, "h", "176X112 (ntsc)", "3", 0, 0, 0, 0,
     S_OK, "http://h/orvel-cgi/mjpg/video.cgi?resolution=halfsize&camera=3"},
    {"T210_ntsc_halfsize_model_any_case", T210, "oc43", Op::Video, "h", "176x112 (NTSC)", "1", 0, 0,
     0, 0, S_OK, "http://h/orvel-cgi/mjpg/video.cgi?resolution=halfsize&camera=1"},
    {"T210_ntsc_halfsize_not_for_image", T210, "OS42", Op::Image, "h", "176x112 (NTSC)", "1", 0, 0,
     0, 0, S_OK, "http://h/orvel-cgi/jpg/image.cgi?resolution=176x112&camera=1"},
    {"T210_ntsc_halfsize_not_for_other_models", T210, "OS34", Op::Video, "h", "176x112 (NTSC)", "1",
     0, 0, 0, 0, S_OK, "http://h/orvel-cgi/mjpg/video.cgi?resolution=176x112&camera=1"},
    {"T210_ntsc_halfsize_needs_the_whole_text", T210, "OD41", Op::Video, "h", "176x112", "1", 0, 0,
     0, 0, S_OK, "http://h/orvel-cgi/mjpg/video.cgi?resolution=176x112&camera=1"},
    {"T210_center", T210, "NoSuchCam", Op::Center, "h", nullptr, "", 352, 288, 10, 20, S_OK,
     "http://h/orvel-cgi/com/ptz.cgi?speed=75&camera=1&imagewidth=352&imageheight=288&center=?"
     "10,20"},
    {"T210_center_negative", T210, "OS34", Op::Center, "h", nullptr, "4", 704, 576, -5, -7, S_OK,
     "http://h/orvel-cgi/com/ptz.cgi?speed=75&camera=4&imagewidth=704&imageheight=576&center=?"
     "-5,-7"},
    {"T210_home", T210, "OS34", Op::Home, "h", nullptr, "3", 0, 0, 0, 0, S_OK,
     "http://h/orvel-cgi/com/ptz.cgi?speed=75&camera=3&move=home"},
    // The PTZ formatters do not consult the PTZ flag.
    {"T210_home_without_ptz", T210, "OC30", Op::Home, "h", nullptr, "", 0, 0, 0, 0, S_OK,
     "http://h/orvel-cgi/com/ptz.cgi?speed=75&camera=1&move=home"},
    {"T210_zoom_wide_end", T210, "OS34", Op::Zoom, "h", nullptr, "1", CamZoomWideEnd, 0, 0, 0, S_OK,
     "http://h/orvel-cgi/com/ptz.cgi?speed=75&camera=1&rzoom=-9999"},
    {"T210_zoom_tele_end", T210, "OS34", Op::Zoom, "h", nullptr, "1", CamZoomTeleEnd, 0, 0, 0, S_OK,
     "http://h/orvel-cgi/com/ptz.cgi?speed=75&camera=1&rzoom=9999"},
    {"T210_zoom_tele_step", T210, "OS34", Op::Zoom, "h", nullptr, "1", CamZoomTeleStep, 0, 0, 0,
     S_OK, "http://h/orvel-cgi/com/ptz.cgi?speed=75&camera=1&rzoom=500"},
    {"T210_zoom_wide_step", T210, "OS34", Op::Zoom, "h", nullptr, "1", CamZoomWideStep, 0, 0, 0,
     S_OK, "http://h/orvel-cgi/com/ptz.cgi?speed=75&camera=1&rzoom=-500"},
    {"T210_zoom_unknown_code", T210, "OS34", Op::Zoom, "h", nullptr, "1", 7, 0, 0, 0, S_OK,
     "http://h/orvel-cgi/com/ptz.cgi?speed=75&camera=1&rzoom=0"},
    {"T210_video_empty_host", T210, "OS34", Op::Video, "", "", "", 0, 0, 0, 0, E_FAIL, nullptr},
    {"T210_zoom_null_host", T210, "OS34", Op::Zoom, nullptr, nullptr, "1", 0, 0, 0, 0, E_FAIL,
     nullptr},
    {"T210_center_empty_host", T210, "OS34", Op::Center, "", nullptr, "1", 1, 1, 1, 1, E_FAIL,
     nullptr},

    // CamTarget211: the same URLs over its shorter lists.
    {"T211_video_default", T211, "", Op::Video, "h", "", "", 0, 0, 0, 0, S_OK,
     "http://h/orvel-cgi/mjpg/video.cgi?resolution=352x288&camera=1"},
    {"T211_image_default_skips_field_sizes", T211, "", Op::Image, "h", "", "", 0, 0, 0, 0, S_OK,
     "http://h/orvel-cgi/jpg/image.cgi?resolution=704x576&camera=1"},
    {"T211_ntsc_halfsize", T211, "OD41", Op::Video, "h", "176x112 (NTSC)", "", 0, 0, 0, 0, S_OK,
     "http://h/orvel-cgi/mjpg/video.cgi?resolution=halfsize&camera=1"},
    {"T211_zoom", T211, "OD45", Op::Zoom, "h", nullptr, "", CamZoomTeleStep, 0, 0, 0, S_OK,
     "http://h/orvel-cgi/com/ptz.cgi?speed=75&camera=1&rzoom=500"},

    // CamTarget201 and CamTarget200.
    {"T201_video_defaults", T201, "OS21", Op::Video, "cam1", "", "", 0, 0, 0, 0, S_OK,
     "http://cam1/cgi-bin/mjpg/video.cgi?resolution=352x288&camera=1"},
    {"T201_image_defaults", T201, "OS21", Op::Image, "cam1", nullptr, nullptr, 0, 0, 0, 0, S_OK,
     "http://cam1/cgi-bin/jpg/image.cgi?resolution=704x576&camera=1"},
    {"T201_image_given", T201, "OS21", Op::Image, "cam1", "704x480 (NTSC)", "2", 0, 0, 0, 0, S_OK,
     "http://cam1/cgi-bin/jpg/image.cgi?resolution=704x480&camera=2"},
    {"T201_center", T201, "OS21", Op::Center, "cam1", nullptr, "1", 1, 1, 1, 1, E_NOTIMPL, nullptr},
    {"T201_home", T201, "OS21", Op::Home, "cam1", nullptr, "1", 0, 0, 0, 0, E_NOTIMPL, nullptr},
    {"T201_zoom", T201, "OS21", Op::Zoom, "cam1", nullptr, "1", 0, 0, 0, 0, E_NOTIMPL, nullptr},
    {"T201_empty_host", T201, "OS21", Op::Image, "", "", "", 0, 0, 0, 0, E_FAIL, nullptr},
    {"T200_video_default", T200, "OC20", Op::Video, "h", "", "2", 0, 0, 0, 0, S_OK,
     "http://h/cgi-bin/video320x240.mjpg"},
    {"T200_image_default", T200, "OC20", Op::Image, "h", "", "", 0, 0, 0, 0, S_OK,
     "http://h/cgi-bin/image640x480.jpg"},
    {"T200_video_given", T200, "OC20", Op::Video, "h:81", "video640x480", "", 0, 0, 0, 0, S_OK,
     "http://h:81/cgi-bin/video640x480.mjpg"},
    {"T200_zoom", T200, "OC20", Op::Zoom, "h", nullptr, "1", 1, 0, 0, 0, E_NOTIMPL, nullptr},
    {"T200_home", T200, "OC20", Op::Home, "h", nullptr, "1", 0, 0, 0, 0, E_NOTIMPL, nullptr},

    // CamTarget110.
    {"T110_video_defaults", T110, "OC11", Op::Video, "h", "", "", 0, 0, 0, 0, S_OK,
     "http://h/cgi-bin/fullsize.jpg?camera=1&motion=0"},
    {"T110_image_defaults", T110, "OC11", Op::Image, "h", "", "", 0, 0, 0, 0, S_OK,
     "http://h/cgi-bin/hugesize.jpg?camera=1&motion=0"},
    {"T110_video_given", T110, "OS10", Op::Video, "h", "halfsize", "4", 0, 0, 0, 0, S_OK,
     "http://h/cgi-bin/halfsize.jpg?camera=4&motion=0"},
    {"T110_center_default_camera", T110, "OC11", Op::Center, "h", nullptr, "", 352, 288, 10, 20,
     S_OK,
     "http://h/cgi-bin/control?speed=777&camera=1&imagewidth=352&imageheight=288&extrem=?10,20"},
    {"T110_home", T110, "OS10", Op::Home, "h", nullptr, "4", 0, 0, 0, 0, S_OK,
     "http://h/cgi-bin/control?speed=777&camera=4&zoom=1&pan=0&tilt=0"},
    {"T110_zoom_wide_end", T110, "OC11", Op::Zoom, "h", nullptr, "1", CamZoomWideEnd, 0, 0, 0, S_OK,
     "http://h/cgi-bin/control?speed=777&camera=1&zoom=1"},
    {"T110_zoom_tele_end", T110, "OC11", Op::Zoom, "h", nullptr, "1", CamZoomTeleEnd, 0, 0, 0, S_OK,
     "http://h/cgi-bin/control?speed=777&camera=1&zoom=999"},
    {"T110_zoom_tele_step", T110, "OC11", Op::Zoom, "h", nullptr, "1", CamZoomTeleStep, 0, 0, 0,
     S_OK, "http://h/cgi-bin/control?speed=777&camera=1&zoomrel=tele"},
    {"T110_zoom_wide_step", T110, "OC11", Op::Zoom, "h", nullptr, "1", CamZoomWideStep, 0, 0, 0,
     S_OK, "http://h/cgi-bin/control?speed=777&camera=1&zoomrel=wide"},
    {"T110_zoom_unknown_code", T110, "OC11", Op::Zoom, "h", nullptr, "1", -1, 0, 0, 0, S_OK,
     "http://h/cgi-bin/control?speed=777&camera=1"},
    {"T110_home_empty_host", T110, "OC11", Op::Home, "", nullptr, "1", 0, 0, 0, 0, E_FAIL, nullptr},

    // CamTarget100: the camera query and PTZ only on the multi-input server.
    {"T100_plain_halfsize", T100, "OC11", Op::Video, "h", "halfsize", "3", 0, 0, 0, 0, S_OK,
     "http://h/cgi-bin/halfsize.srvpushs"},
    {"T100_plain_fullsize", T100, "OC11", Op::Video, "h", "fullsize", "3", 0, 0, 0, 0, S_OK,
     "http://h/cgi-bin/fullsize.srvpushb"},
    {"T100_plain_halfsize_any_case", T100, "OC11", Op::Video, "h", "HalfSize", "", 0, 0, 0, 0, S_OK,
     "http://h/cgi-bin/HalfSize.srvpushs"},
    {"T100_plain_image", T100, "OC11", Op::Image, "h", "hugesize", "2", 0, 0, 0, 0, S_OK,
     "http://h/cgi-bin/hugesize.jpg"},
    {"T100_plain_video_default", T100, "OC11", Op::Video, "h", "", "", 0, 0, 0, 0, S_OK,
     "http://h/cgi-bin/fullsize.srvpushb"},
    {"T100_plain_home", T100, "OC11", Op::Home, "h", nullptr, "1", 0, 0, 0, 0, E_NOTIMPL, nullptr},
    // The model check comes before the host check.
    {"T100_plain_zoom_empty_host", T100, "OC11", Op::Zoom, "", nullptr, "1", 0, 0, 0, 0, E_NOTIMPL,
     nullptr},
    {"T100_plain_center", T100, "OC11", Op::Center, "h", nullptr, "1", 1, 1, 1, 1, E_NOTIMPL,
     nullptr},
    {"T100_multi_video", T100, "OS10", Op::Video, "h", "", "2", 0, 0, 0, 0, S_OK,
     "http://h/cgi-bin/fullsize.srvpushb?camera=2"},
    {"T100_multi_image_default_camera", T100, "OS10", Op::Image, "h", "halfsize", "", 0, 0, 0, 0,
     S_OK, "http://h/cgi-bin/halfsize.jpg?camera=1"},
    // Init matches the name exactly, the formatters ignore case.
    {"T100_multi_any_case_video", T100, "os10", Op::Video, "h", "halfsize", "", 0, 0, 0, 0, S_OK,
     "http://h/cgi-bin/halfsize.srvpushs?camera=1"},
    {"T100_multi_any_case_home", T100, "Os10", Op::Home, "h", nullptr, "2", 0, 0, 0, 0, S_OK,
     "http://h/cgi-bin/control?camera=2&zoom=1&pan=0&tilt=0"},
    {"T100_multi_center", T100, "OS10", Op::Center, "h", nullptr, "2", 352, 288, 10, 20, S_OK,
     "http://h/video.html?dummy=yes&camsecid=0&camera=2&extrem=?10,20"},
    {"T100_multi_home", T100, "OS10", Op::Home, "h", nullptr, "", 0, 0, 0, 0, S_OK,
     "http://h/cgi-bin/control?camera=1&zoom=1&pan=0&tilt=0"},
    {"T100_multi_zoom_wide_end", T100, "OS10", Op::Zoom, "h", nullptr, "3", CamZoomWideEnd, 0, 0, 0,
     S_OK, "http://h/cgi-bin/control?camera=3&zoom=1"},
    {"T100_multi_zoom_tele_end", T100, "OS10", Op::Zoom, "h", nullptr, "3", CamZoomTeleEnd, 0, 0, 0,
     S_OK, "http://h/cgi-bin/control?camera=3&zoom=999"},
    {"T100_multi_zoom_tele_step", T100, "OS10", Op::Zoom, "h", nullptr, "3", CamZoomTeleStep, 0, 0,
     0, S_FALSE, nullptr},
    {"T100_multi_zoom_wide_step", T100, "OS10", Op::Zoom, "h", nullptr, "3", CamZoomWideStep, 0, 0,
     0, S_FALSE, nullptr},
    {"T100_multi_zoom_unknown_code", T100, "OS10", Op::Zoom, "h", nullptr, "3", 12, 0, 0, 0, S_OK,
     "http://h/cgi-bin/control?camera=3"},
    {"T100_multi_zoom_empty_host", T100, "OS10", Op::Zoom, "", nullptr, "3", 0, 0, 0, 0, S_OK,
     nullptr},
    {"T100_multi_home_empty_host", T100, "OS10", Op::Home, "", nullptr, "3", 0, 0, 0, 0, E_FAIL,
     nullptr},
};

class TargetUrl : public LuminFixture, public testing::WithParamInterface<UrlCase> {};

TEST_P(TargetUrl, FormatsTheCamerasUrl)
{
    const UrlCase& c = GetParam();
    ComPtr<ICamTarget> target = create<ICamTarget>(c.clsid);
    ASSERT_TRUE(target);
    ASSERT_EQ(target->Init(Arg(c.model)), S_OK);

    // The result replaces what the out-parameter held.
    BSTR url = bstrFromUtf8("previous");
    HRESULT hr = E_UNEXPECTED;
    switch (c.op) {
    case Op::Video:
        hr = target->FormatVideoUrl(Arg(c.host), Arg(c.resolution), Arg(c.camera), &url);
        break;
    case Op::Image:
        hr = target->FormatImageUrl(Arg(c.host), Arg(c.resolution), Arg(c.camera), &url);
        break;
    case Op::Center:
        hr = target->FormatCenterUrl(Arg(c.host), Arg(c.camera), c.a, c.b, c.c, c.d, &url);
        break;
    case Op::Home:
        hr = target->FormatHomeUrl(Arg(c.host), Arg(c.camera), &url);
        break;
    case Op::Zoom:
        hr = target->FormatDiscreteZoomUrl(Arg(c.host), Arg(c.camera), c.a, &url);
        break;
    }
    EXPECT_EQ(hr, c.hr);
    EXPECT_EQ(bstrToUtf8(url), c.url ? c.url : "previous");
    SysFreeString(url);
}

INSTANTIATE_TEST_SUITE_P(AllTargets, TargetUrl, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.label); });

class TargetUrlOutput : public LuminFixture {};

TEST_F(TargetUrlOutput, NullOutputStartsAFreshString)
{
    ComPtr<ICamTarget> target = create<ICamTarget>(CLSID_CamTarget210);
    ASSERT_EQ(target->Init(Arg("OS34")), S_OK);
    BSTR url = nullptr;
    ASSERT_EQ(target->FormatHomeUrl(Arg("h"), Arg("2"), &url), S_OK);
    EXPECT_EQ(bstrToUtf8(url), "http://h/orvel-cgi/com/ptz.cgi?speed=75&camera=2&move=home");
    // The same out-parameter again: the old string is freed by the callee (ASan checks).
    ASSERT_EQ(target->FormatHomeUrl(Arg("h"), Arg("3"), &url), S_OK);
    EXPECT_EQ(bstrToUtf8(url), "http://h/orvel-cgi/com/ptz.cgi?speed=75&camera=3&move=home");
    SysFreeString(url);
}

TEST_F(TargetUrlOutput, NoOutputParameterIsAFailure)
{
    ComPtr<ICamTarget> target = create<ICamTarget>(CLSID_CamTarget201);
    ASSERT_EQ(target->Init(nullptr), S_OK);
    EXPECT_EQ(target->FormatVideoUrl(Arg("h"), nullptr, nullptr, nullptr), E_FAIL);
}

} // namespace
} // namespace lumin::test
