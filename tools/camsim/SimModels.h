#pragma once
// The cameras the simulator can be: one row per model, with the firmware versions it ships,
// the interface generation each firmware speaks, its greeting, resolutions, inputs and PTZ.
// The rows mirror the client's model table (names, firmware, greetings), so that identifying a
// simulated camera finds the target class the simulator then serves.

#include <span>
#include <string>
#include <string_view>

namespace camsim {

// The URL generations, named after the client target class that speaks each.
enum class Generation { G100, G110, G200, G201, G210, G211 };

struct SimFirmware {
    std::string_view version; // "major.minor"
    Generation generation;
};

struct SimModel {
    std::string_view name; // as the camera reports it: greeting, ProdShortName
    std::span<const SimFirmware> firmware;
    std::string_view defaultFirmware;
    // Greeting on port 21; "{version}" stands for the firmware version.
    std::string_view bannerForm;
    // The camera's own resolution names, as it lists them and accepts them back.
    std::span<const std::string_view> resolutions;
    int defaultResolution; // index into resolutions: what a request without one gets
    int inputs;            // 1 or 4
    bool ptz;
    bool audio = false; // a microphone and a loudspeaker, behind the audio daemon
};

std::span<const SimModel> simModels();
const SimModel* findSimModel(std::string_view name); // exact name; null when unknown
// The generation a firmware of the model speaks; the one of its last firmware row when the
// version is not listed.
Generation generationFor(const SimModel& model, std::string_view firmware);
std::string bannerFor(const SimModel& model, std::string_view firmware);
const char* generationName(Generation generation); // "CamTarget210"

} // namespace camsim
