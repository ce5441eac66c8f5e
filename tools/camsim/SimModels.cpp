#include "tools/camsim/SimModels.h"

namespace camsim {
namespace {

using enum Generation;
using Res = std::string_view;

constexpr Res kOldSizes[] = {"halfsize", "fullsize", "hugesize"};
constexpr Res kG200Sizes[] = {"320x240", "640x480"};
constexpr Res kG201Sizes[] = {"352x288", "704x576", "352x240", "704x480"};
constexpr Res kProfileA[] = {"320x240", "640x480"};
constexpr Res kProfileB[] = {"176x144", "352x288", "704x576", "176x112", "352x240", "704x480"};
constexpr Res kProfileD[] = {"160x120", "320x240", "640x480"};
constexpr Res kProfileF[] = {"176x112", "352x240", "704x240", "704x480"};
constexpr Res kProfileG[] = {"176x144", "352x288", "704x288", "704x576",
                             "176x112", "352x240", "704x240", "704x480"};
constexpr Res kProfileJ[] = {"352x288", "704x288", "704x576", "352x240", "704x240", "704x480"};

constexpr SimFirmware kOS10[] = {{"1.10", G100}, {"1.20", G100}, {"1.30", G110}};
constexpr SimFirmware kOC11[] = {{"1.00", G100}, {"1.40", G110}, {"1.50", G110}};
constexpr SimFirmware kOC20[] = {{"2.00", G200}, {"2.01", G200}};
constexpr SimFirmware kOS21[] = {{"2.10", G201}, {"2.20", G201}};
constexpr SimFirmware kOC30[] = {{"2.30", G200}, {"3.00", G210}};
constexpr SimFirmware kFw300To310[] = {{"3.00", G210}, {"3.10", G210}};
constexpr SimFirmware kOC32[] = {{"2.40", G210}, {"3.00", G210}};
constexpr SimFirmware kOC35[] = {{"3.00", G210}};
constexpr SimFirmware kOD41[] = {{"3.00", G210}, {"3.20", G211}};
constexpr SimFirmware kFw310To320[] = {{"3.10", G210}, {"3.20", G211}};
constexpr SimFirmware kOD45[] = {{"4.00", G211}, {"4.10", G211}};
constexpr SimFirmware kOC46[] = {{"4.00", G210}, {"4.10", G211}};

// Resolution defaults follow the video defaults of the client's profiles.
constexpr SimModel kModels[] = {
    {"OS10", kOS10, "1.20", "220 ORVEL OS10 Video Server {version} ready.", kOldSizes, 1, 4, true},
    {"OC11", kOC11, "1.50", "220 ORVEL OC11V{version} FTP server ready.", kOldSizes, 1, 1, true},
    {"OC20", kOC20, "2.01", "220 ORVEL OC20 version {version} ready.", kG200Sizes, 0, 1, false},
    {"OS21", kOS21, "2.20", "220 ORVEL OS21 Camera Server {version} ready.", kG201Sizes, 0, 1,
     false},
    {"OC30", kOC30, "3.00", "220 ORVEL OC30 Web Camera {version} ready.", kProfileA, 0, 1, false},
    {"OS34", kFw300To310, "3.10", "220 ORVEL OS34 Network Video Server {version} ready.", kProfileB,
     1, 4, true},
    {"OS31", kFw300To310, "3.00", "220 ORVEL OS31 Network Video Server {version} ready.", kProfileB,
     1, 1, true},
    {"OC32", kOC32, "2.40", "220 ORVEL OC32 Network Camera {version} ready.", kProfileD, 1, 1,
     false},
    {"OC33", kFw300To310, "3.10", "220 ORVEL OC33 Network Camera {version} ready.", kProfileA, 1, 1,
     false},
    {"OC35", kOC35, "3.00", "220 ORVEL OC35 Network Camera {version} ready.", kProfileA, 1, 1,
     false},
    {"OD41", kOD41, "3.20", "220 ORVEL OD41 Dome Camera {version} ready.", kProfileF, 1, 1, true,
     true},
    {"OS44", kFw310To320, "3.20", "220 ORVEL OS44 Network Video Server {version} ready.", kProfileG,
     1, 4, true, true},
    {"OS42", kFw310To320, "3.10", "220 ORVEL OS42 Video Server {version} ready.", kProfileG, 1, 1,
     true},
    {"OC43", kFw300To310, "3.10", "220 ORVEL OC43 Network Camera {version}b ready.", kProfileB, 1,
     1, false},
    {"OD45", kOD45, "4.10", "220 ORVEL OD45 PTZ Camera {version} ready.", kProfileJ, 1, 1, true,
     true},
    {"OC46", kOC46, "4.10", "220 OC46-E Network Camera {version} ready.", kProfileJ, 1, 1, false,
     true},
};

} // namespace

std::span<const SimModel> simModels()
{
    return kModels;
}

const SimModel* findSimModel(std::string_view name)
{
    for (const SimModel& model : kModels)
        if (model.name == name)
            return &model;
    return nullptr;
}

Generation generationFor(const SimModel& model, std::string_view firmware)
{
    for (const SimFirmware& row : model.firmware)
        if (row.version == firmware)
            return row.generation;
    return model.firmware.back().generation;
}

std::string bannerFor(const SimModel& model, std::string_view firmware)
{
    std::string banner(model.bannerForm);
    constexpr std::string_view kSlot = "{version}";
    if (auto at = banner.find(kSlot); at != std::string::npos)
        banner.replace(at, kSlot.size(), firmware);
    return banner;
}

const char* generationName(Generation generation)
{
    switch (generation) {
    case G100:
        return "CamTarget100";
    case G110:
        return "CamTarget110";
    case G200:
        return "CamTarget200";
    case G201:
        return "CamTarget201";
    case G210:
        return "CamTarget210";
    case G211:
        return "CamTarget211";
    }
    return "CamTarget210";
}

} // namespace camsim
