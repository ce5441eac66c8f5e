#pragma once
// Class id, AppID and ProgIDs of the recorder program's class.

#include "platform/com/Guid.h"

// The recorder's type library (RECORALib) and its application id.
inline constexpr GUID LIBID_RECORALib = makeGuid("{803E926D-45EB-11D5-B0AD-009027BD8645}");
inline constexpr GUID APPID_Recora = makeGuid("{803E926E-45EB-11D5-B0AD-009027BD8645}");

// A local server registered for single use: every creation starts a Recora process.
inline constexpr CLSID CLSID_CamRecord = makeGuid("{9A7F5805-4936-11D5-B0AD-009027BD8645}");

// Version-independent ProgID; its CurVer names the ".1" ProgID beside it.
inline constexpr const char16_t* kProgIdCamRecord = u"Recora.CamRecord";
inline constexpr const char16_t* kProgIdCamRecord1 = u"Recora.CamRecord.1";
