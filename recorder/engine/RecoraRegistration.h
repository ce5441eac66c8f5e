#pragma once
// The recorder's registration: its local-server class, ProgIDs, AppID and type library.

#include "platform/base/Hresult.h"

#include <string>

HRESULT registerRecora(const std::string& programPath);
HRESULT unregisterRecora(const std::string& programPath);
