#pragma once
// Class id and ProgID of the viewer program's automation class.

#include "platform/com/Guid.h"

// The viewer's type library.
inline constexpr GUID LIBID_Vistel = makeGuid("{F96D05C6-8A77-11D4-8A6B-00609717EDE7}");

// A local server: every creation starts a Vistel process.
inline constexpr CLSID CLSID_Vistel = makeGuid("{F96D05C5-8A77-11D4-8A6B-00609717EDE7}");

// The document ProgID (the viewer registers no versioned one).
inline constexpr const char16_t* kProgIdVistelDocument = u"Vistel.Document";
