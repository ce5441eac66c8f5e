#pragma once
// The simulated cameras the parameter tests talk to, beyond the default one.

#include "tools/camsim/CamSimConfig.h"

#include <string>

// A camera that lets in only user and password.
inline camsim::CamSimConfig passwordCamera(camsim::AuthMode mode = camsim::AuthMode::Basic,
                                           std::string user = "root", std::string password = "pass")
{
    camsim::CamSimConfig config;
    config.auth = mode;
    config.user = std::move(user);
    config.password = std::move(password);
    return config;
}

// A camera that plays the faults set: withFaults([](camsim::Faults& f) { f.forceStatus = 404; }).
template <typename Set> camsim::CamSimConfig withFaults(Set set)
{
    camsim::CamSimConfig config;
    set(config.faults);
    return config;
}
