#pragma once
// Class ids and ProgIDs of the camera client library's classes. The ids are binding: other
// components create these classes by them and the registry model table stores target ids.

#include "platform/com/Guid.h"

// The client library's type library.
inline constexpr GUID LIBID_Lumin = makeGuid("{891D307F-F6BE-11D4-B09A-009027BD8645}");

inline constexpr CLSID CLSID_Luminent = makeGuid("{941E9A95-FB46-11D4-B09E-009027BD8645}");
inline constexpr CLSID CLSID_CamTarget100 = makeGuid("{9814A00E-29D0-11D5-B0AC-009027BD8645}");
inline constexpr CLSID CLSID_CamTarget110 = makeGuid("{9814A00C-29D0-11D5-B0AC-009027BD8645}");
inline constexpr CLSID CLSID_CamTarget200 = makeGuid("{9814A00A-29D0-11D5-B0AC-009027BD8645}");
inline constexpr CLSID CLSID_CamTarget201 = makeGuid("{9814A008-29D0-11D5-B0AC-009027BD8645}");
inline constexpr CLSID CLSID_CamTarget210 = makeGuid("{134D21E6-1EBC-11D5-B0AB-009027BD8645}");
inline constexpr CLSID CLSID_CamTarget211 = makeGuid("{B53D58A8-083C-4796-91B7-6E6699B2A7A5}");

// Version-independent ProgIDs; each has a CurVer naming the ".1" ProgID beside it.
inline constexpr const char16_t* kProgIdLuminent = u"Lumin.Luminent";
inline constexpr const char16_t* kProgIdLuminent1 = u"Lumin.Luminent.1";
inline constexpr const char16_t* kProgIdCamTarget100 = u"Lumin.CamTarget100";
inline constexpr const char16_t* kProgIdCamTarget100_1 = u"Lumin.CamTarget100.1";
inline constexpr const char16_t* kProgIdCamTarget110 = u"Lumin.CamTarget110";
inline constexpr const char16_t* kProgIdCamTarget110_1 = u"Lumin.CamTarget110.1";
inline constexpr const char16_t* kProgIdCamTarget200 = u"Lumin.CamTarget200";
inline constexpr const char16_t* kProgIdCamTarget200_1 = u"Lumin.CamTarget200.1";
inline constexpr const char16_t* kProgIdCamTarget201 = u"Lumin.CamTarget201";
inline constexpr const char16_t* kProgIdCamTarget201_1 = u"Lumin.CamTarget201.1";
inline constexpr const char16_t* kProgIdCamTarget210 = u"Lumin.CamTarget210";
inline constexpr const char16_t* kProgIdCamTarget210_1 = u"Lumin.CamTarget210.1";
inline constexpr const char16_t* kProgIdCamTarget211 = u"Lumin.CamTarget211";
inline constexpr const char16_t* kProgIdCamTarget211_1 = u"Lumin.CamTarget211.1";
