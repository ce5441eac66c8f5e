#pragma once
// The one-shot fetch of the camera's audio parameter list: a single GET of at most
// kMaxParameterBytes, parsed into the parameters. Blocks for at most a few seconds.

#include "control/AudioParameters.h"

#include <cstddef>
#include <string_view>

namespace pictra {

inline constexpr std::size_t kMaxParameterBytes = 2000;

// False when the list could not be had (no answer, an error status or an empty body); the
// parameters are then left as they were. A longer list is cut at kMaxParameterBytes.
bool fetchAudioParameters(std::string_view url, AudioParameters& parameters);

} // namespace pictra
