#include "client/ModelTable.h"

#include "common/LuminClasses.h"
#include "platform/base/AsciiCase.h"

namespace lumin {
namespace {

using enum TargetClass;

// Oldest generation first, then the servers and cameras of the /cgi-bin/ interfaces, then the
// current firmware. Old firmware of a current model sometimes still speaks an older interface.
constexpr ModelRow kModels[] = {
    {"OS10",
     Profile::None,
     CamTarget100,
     {{"1.10", CamTarget100}, {"1.20", CamTarget100}, {"1.30", CamTarget110}},
     false,
     "220 ORVEL OS10 Video Server 1.20 ready."},
    {"OC11",
     Profile::None,
     CamTarget110,
     {{"1.00", CamTarget100}, {"1.40", CamTarget110}, {"1.50", CamTarget110}},
     false,
     "220 ORVEL OC11V1.50 FTP server ready."},
    {"OC20",
     Profile::None,
     CamTarget200,
     {{"2.00", CamTarget200}, {"2.01", CamTarget200}},
     false,
     "220 ORVEL OC20 version 2.01 ready."},
    {"OS21",
     Profile::None,
     CamTarget201,
     {{"2.10", CamTarget201}, {"2.20", CamTarget201}},
     false,
     "220 ORVEL OS21 Camera Server 2.20 ready."},
    {"OC30",
     Profile::A,
     CamTarget210,
     {{"2.30", CamTarget200}, {"3.00", CamTarget210}},
     false,
     "220 ORVEL OC30 Web Camera 3.00 ready."},
    {"OS34",
     Profile::B,
     CamTarget210,
     {{"3.00", CamTarget210}, {"3.10", CamTarget210}},
     false,
     "220 ORVEL OS34 Network Video Server 3.10 ready."},
    {"OS31",
     Profile::C,
     CamTarget210,
     {{"3.00", CamTarget210}, {"3.10", CamTarget210}},
     false,
     "220 ORVEL OS31 Network Video Server 3.00 ready."},
    {"OC32",
     Profile::D,
     CamTarget210,
     {{"2.40", CamTarget210}, {"3.00", CamTarget210}},
     false,
     "220 ORVEL OC32 Network Camera 2.40 ready."},
    {"OC33",
     Profile::E,
     CamTarget210,
     {{"3.00", CamTarget210}, {"3.10", CamTarget210}},
     false,
     "220 ORVEL OC33 Network Camera 3.10 ready."},
    // A rebadged OC33: identified by its banner, not offered in the chooser.
    {"OC35",
     Profile::E,
     CamTarget210,
     {{"3.00", CamTarget210}},
     true,
     "220 ORVEL OC35 Network Camera 3.00 ready."},
    {"OD41",
     Profile::F,
     CamTarget210,
     {{"3.00", CamTarget210}, {"3.20", CamTarget211}},
     false,
     "220 ORVEL OD41 Dome Camera 3.20 ready."},
    {"OS44",
     Profile::G,
     CamTarget210,
     {{"3.10", CamTarget210}, {"3.20", CamTarget211}},
     false,
     "220 ORVEL OS44 Network Video Server 3.20 ready."},
    {"OS42",
     Profile::H,
     CamTarget210,
     {{"3.10", CamTarget210}, {"3.20", CamTarget211}},
     false,
     "220 ORVEL OS42 Video Server 3.10 ready."},
    {"OC43",
     Profile::I,
     CamTarget210,
     {{"3.00", CamTarget210}, {"3.10", CamTarget210}},
     false,
     "220 ORVEL OC43 Network Camera 3.10b ready."},
    {"OD45",
     Profile::J,
     CamTarget211,
     {{"4.00", CamTarget211}, {"4.10", CamTarget211}},
     false,
     "220 ORVEL OD45 PTZ Camera 4.10 ready."},
    {"OC46",
     Profile::K,
     CamTarget211,
     {{"4.00", CamTarget210}, {"4.10", CamTarget211}},
     false,
     "220 OC46-E Network Camera 4.10 ready."},
};
static_assert(std::size(kModels) == 16);

// Product words compare as prefixes of banner words, so a pattern must differ from every
// earlier one in a literal word; the one pattern without "ORVEL" comes last.
constexpr const char* kPatterns[] = {
    "%* ORVEL %n Network Camera %v",
    "%* ORVEL %n Network Video Server %v",
    "%* ORVEL %n Video Server %v",
    "%* ORVEL %n Camera Server %v",
    "%* ORVEL %n Web Camera %v",
    "%* ORVEL %n PTZ Camera %v",
    "%* ORVEL %n Dome Camera %v",
    "%* ORVEL %n version %v",
    "%* ORVEL %nV%v",
    "%* %n-%* Network Camera %v",
};
static_assert(std::size(kPatterns) == 10);

} // namespace

std::span<const ModelRow> modelRows()
{
    return kModels;
}

Profile profileForModel(std::string_view name)
{
    for (const ModelRow& row : kModels)
        if (row.profile != Profile::None && name == row.name)
            return row.profile;
    return Profile::Fallback;
}

bool isNtscHalfSizeModel(std::string_view name)
{
    for (const ModelRow& row : kModels) {
        bool halfSize = row.profile == Profile::F || row.profile == Profile::G ||
                        row.profile == Profile::H || row.profile == Profile::I;
        if (halfSize && orvel::equalsIgnoringCase(name, row.name))
            return true;
    }
    return false;
}

std::span<const char* const> bannerPatterns()
{
    return kPatterns;
}

const CLSID& targetClsid(TargetClass target)
{
    switch (target) {
    case CamTarget100:
        return CLSID_CamTarget100;
    case CamTarget110:
        return CLSID_CamTarget110;
    case CamTarget200:
        return CLSID_CamTarget200;
    case CamTarget201:
        return CLSID_CamTarget201;
    case CamTarget210:
        return CLSID_CamTarget210;
    case CamTarget211:
        return CLSID_CamTarget211;
    }
    return CLSID_CamTarget210;
}

const char* targetClassName(TargetClass target)
{
    switch (target) {
    case CamTarget100:
        return "CamTarget100";
    case CamTarget110:
        return "CamTarget110";
    case CamTarget200:
        return "CamTarget200";
    case CamTarget201:
        return "CamTarget201";
    case CamTarget210:
        return "CamTarget210";
    case CamTarget211:
        return "CamTarget211";
    }
    return "CamTarget210";
}

} // namespace lumin
