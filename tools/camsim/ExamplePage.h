#pragma once
// The camera's own home page ("/"): a page that embeds the live image control with a bare-path
// URL, as a camera's page does, so the page host shows the camera live.

#include "tools/camsim/SimModels.h"

#include <string>

namespace camsim {

// With audio, the control also plays the camera's sound and shows its sound panel.
std::string examplePage(const SimModel& model, Generation generation, std::string_view firmware,
                        bool audio);

} // namespace camsim
