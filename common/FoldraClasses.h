#pragma once
// Class id of the camera namespace and the name it is registered under.

#include "platform/com/Guid.h"

inline constexpr CLSID CLSID_CamFolder = makeGuid("{B70B3711-525C-11D4-B070-009027BD8645}");

// The class is registered by this name (the class key's default value and the My Computer
// namespace entry), not by a ProgID; the object file is named after the class id.
inline constexpr const char* kCamFolderName = "Network Cameras";
