#include "client/TargetProfiles.h"

#include <string_view>
#include <vector>

namespace lumin {
namespace {

constexpr const char* kListA[] = {"320x240", "640x480"};
constexpr const char* kListB[] = {"176x144 (PAL)",  "352x288 (PAL)",  "704x576 (PAL)",
                                  "176x112 (NTSC)", "352x240 (NTSC)", "704x480 (NTSC)"};
constexpr const char* kListD[] = {"160x120", "320x240", "640x480"};
constexpr const char* kListF[] = {"176x112 (NTSC)", "352x240 (NTSC)", "704x240 (NTSC)",
                                  "704x480 (NTSC)"};
constexpr const char* kListG[] = {"176x144 (PAL)",  "352x288 (PAL)",  "704x288 (PAL)",
                                  "704x576 (PAL)",  "176x112 (NTSC)", "352x240 (NTSC)",
                                  "704x240 (NTSC)", "704x480 (NTSC)"};
constexpr const char* kListJ[] = {"352x288 (PAL)",  "704x288 (PAL)",  "704x576 (PAL)",
                                  "352x240 (NTSC)", "704x240 (NTSC)", "704x480 (NTSC)"};
constexpr const char* kListFallback[] = {"176x144 (PAL)",  "352x288 (PAL)",  "704x288 (PAL)",
                                         "704x576 (PAL)",  "176x112 (NTSC)", "352x240 (NTSC)",
                                         "704x240 (NTSC)", "704x480 (NTSC)", "320x240",
                                         "640x480",        "4CIF",           "CIF",
                                         "QCIF",           "2CIF",           "2CIFEXP"};

constexpr const char* kOneCamera[] = {"1"};
constexpr const char* kFourCameras[] = {"1", "2", "3", "4"};

struct ProfileRow {
    Profile profile;
    std::span<const char* const> list; // video and image lists are the same
    int videoDefault;
    int imageDefault;
    std::span<const char* const> cameras;
    bool ptz;
};

// Profile E's image default of 2 lies past its two entries; GetCaps reports it as is and the
// URL formatters take the list's last entry for it.
constexpr ProfileRow kProfiles[] = {
    {Profile::A, kListA, 0, 1, kOneCamera, false},
    {Profile::B, kListB, 1, 2, kFourCameras, true},
    {Profile::C, kListB, 1, 2, kOneCamera, true},
    {Profile::D, kListD, 1, 2, kOneCamera, false},
    {Profile::E, kListA, 1, 2, kOneCamera, false},
    {Profile::F, kListF, 1, 2, kOneCamera, true},
    {Profile::G, kListG, 1, 2, kFourCameras, true},
    {Profile::H, kListG, 1, 2, kOneCamera, true},
    {Profile::I, kListB, 1, 2, kOneCamera, false},
    {Profile::J, kListJ, 1, 2, kOneCamera, true},
    {Profile::K, kListJ, 1, 2, kOneCamera, false},
    {Profile::Fallback, kListFallback, 1, 2, kFourCameras, true},
};

const ProfileRow& rowFor(Profile profile)
{
    for (const ProfileRow& row : kProfiles)
        if (row.profile == profile)
            return row;
    return kProfiles[std::size(kProfiles) - 1];
}

bool isFieldResolution(std::string_view entry)
{
    return entry == "704x288 (PAL)" || entry == "704x240 (NTSC)";
}

} // namespace

void applyProfile(CamTargetBase& state, Profile profile, FieldResolutions fields)
{
    const ProfileRow& row = rowFor(profile);
    std::vector<const char*> list;
    for (const char* entry : row.list)
        if (fields == FieldResolutions::Included || !isFieldResolution(entry))
            list.push_back(entry);
    state.addVideo(list, row.videoDefault);
    state.addImage(list, row.imageDefault);
    state.addCameras(row.cameras);
    state.setPtz(row.ptz);
}

} // namespace lumin
