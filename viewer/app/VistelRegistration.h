#pragma once
// The viewer's registration: its automation class as a local server, "Vistel.Document".

#include "platform/base/Hresult.h"

#include <string>

HRESULT registerVistel(const std::string& programPath);
HRESULT unregisterVistel(const std::string& programPath);
