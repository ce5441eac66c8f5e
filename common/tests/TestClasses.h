#pragma once
// Classes of the interface tests' local server (CommonTestLocalServer).

#include "platform/com/Guid.h"

inline constexpr CLSID CLSID_CommonTestRecorder =
    makeGuid("{5E2A7C41-0D8B-4F3A-9C6E-1B7D3A2F4E01}");
inline constexpr CLSID CLSID_CommonTestViewer = makeGuid("{5E2A7C41-0D8B-4F3A-9C6E-1B7D3A2F4E02}");
