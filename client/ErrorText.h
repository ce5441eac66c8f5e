#pragma once
// Texts for status codes: the library's own string table for its interface codes
// (FACILITY_ITF, 20481-24576), the Windows system texts for every other code the suite returns.

#include "platform/base/Hresult.h"

#include <string>

namespace lumin {

// \retval S_OK, E_FAIL (no text for hr)
HRESULT errorText(HRESULT hr, std::string* text);

} // namespace lumin
