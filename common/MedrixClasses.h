#pragma once
// Class ids and ProgIDs of the media library's classes. The ids are binding: the camera
// client creates these classes by the id its callers pass to DataAdvise.

#include "platform/com/Guid.h"

// The media library's type library.
inline constexpr GUID LIBID_Medrix = makeGuid("{EFE11E93-332A-11D5-B0AC-009027BD8645}");

inline constexpr CLSID CLSID_CamImageObject = makeGuid("{EFE11EA0-332A-11D5-B0AC-009027BD8645}");
inline constexpr CLSID CLSID_CamSoundObject = makeGuid("{E67757D6-332A-11D5-B0AC-009027BD8645}");

// Version-independent ProgIDs; each has a CurVer naming the ".1" ProgID beside it.
inline constexpr const char16_t* kProgIdCamImageObject = u"Medrix.CamImageObject";
inline constexpr const char16_t* kProgIdCamImageObject1 = u"Medrix.CamImageObject.1";
inline constexpr const char16_t* kProgIdCamSoundObject = u"Medrix.CamSoundObject";
inline constexpr const char16_t* kProgIdCamSoundObject1 = u"Medrix.CamSoundObject.1";
