#pragma once
// Opens a file with the desktop's default application (xdg-open), with the result codes of
// the shell call it stands in for.

#include "platform/base/Hresult.h"

#include <string>

namespace lumin {

// \retval S_OK, E_INVALIDARG (no such file, no opener), E_ACCESSDENIED (file not readable),
//         E_FAIL (the opener failed)
HRESULT openWithDefaultApplication(const std::string& path);

} // namespace lumin
