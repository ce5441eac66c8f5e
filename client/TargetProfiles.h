#pragma once
// The capability profiles of CamTarget210 and CamTarget211: resolution lists, defaults,
// cameras and PTZ for each profile of the model table.

#include "client/CamTargetBase.h"
#include "client/ModelTable.h"

namespace lumin {

// CamTarget211's firmware has no 704-wide half-height (field) resolutions.
enum class FieldResolutions { Included, Omitted };

// Appends the profile's lists to state and sets its defaults and PTZ flag.
void applyProfile(CamTargetBase& state, Profile profile, FieldResolutions fields);

} // namespace lumin
