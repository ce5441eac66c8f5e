#pragma once
// Class id and ProgIDs of the live image control.

#include "platform/com/Guid.h"

// The control's type library, version 1.0.
inline constexpr GUID LIBID_Pictra = makeGuid("{917623C2-D8E5-11D2-BE8B-00104B06BDE3}");

inline constexpr CLSID CLSID_CamImage = makeGuid("{917623D1-D8E5-11D2-BE8B-00104B06BDE3}");

// Version-independent ProgID; its CurVer names the ".1" ProgID beside it.
inline constexpr const char16_t* kProgIdCamImage = u"CamImage.CamImage";
inline constexpr const char16_t* kProgIdCamImage1 = u"CamImage.CamImage.1";
