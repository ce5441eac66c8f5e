#pragma once
// The camera models this client knows, in one place: which target class speaks to each model
// and firmware, which capability profile CamTarget210/CamTarget211 give it, the greeting each
// model sends on its FTP port, and the banner patterns that pick name and version out of such a
// greeting. Registration writes the registry model table from these rows, the targets read
// their profiles from them, and the camera simulator serves the same models and banners, so
// names here must stay stable.
//
// Model names are single upper-case words without "V" or "-": identification captures a name
// from one banner word, upper-cased, and two of the patterns end the name at a "V" or a "-".

#include "platform/com/Guid.h"

#include <cstddef>
#include <span>
#include <string_view>

namespace lumin {

enum class TargetClass {
    CamTarget100,
    CamTarget110,
    CamTarget200,
    CamTarget201,
    CamTarget210,
    CamTarget211,
};

// Capability profiles of CamTarget210/CamTarget211; None for models of older generations.
enum class Profile { None, A, B, C, D, E, F, G, H, I, J, K, Fallback };

struct FirmwareRow {
    const char* version; // "major.minor" as identification reports it
    TargetClass target;
};

struct ModelRow {
    const char* name;
    Profile profile;
    TargetClass defaultTarget; // for a firmware version not listed
    FirmwareRow firmware[3];   // unused rows have a null version
    bool hidden;               // left out of the chooser dialog
    const char* banner;        // the greeting a camera of this model sends (simulator, tests)
};

// The sixteen models in registry order. The twelve rows with a profile are CamTarget210's
// model table, in the order it is searched.
std::span<const ModelRow> modelRows();

// CamTarget100's four-input video server (cameras 1-4 and PTZ) and CamTarget110's one-input
// camera (camera 1 only).
inline constexpr std::string_view kCamTarget100MultiInputModel = "OS10";
inline constexpr std::string_view kCamTarget110SingleInputModel = "OC11";

// The target CamTarget210 picks for names it has no row for, and the registry's default target.
inline constexpr TargetClass kDefaultTarget = TargetClass::CamTarget210;

// CamTarget210's profile for a model name: exact, case-sensitive match; Fallback otherwise.
Profile profileForModel(std::string_view name);

// Models whose streams take "halfsize" for the NTSC quarter resolution (profiles F, G, H, I);
// compared ignoring case.
bool isNtscHalfSizeModel(std::string_view name);

// The identification patterns, in the order they are tried.
std::span<const char* const> bannerPatterns();

// Class ids, ProgIDs and names of the six target classes.
const CLSID& targetClsid(TargetClass target);
const char* targetClassName(TargetClass target); // "CamTarget210"

} // namespace lumin
